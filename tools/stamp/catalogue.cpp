#include "catalogue.h"

#include <algorithm>

namespace launcher::stamp {
namespace {

using F = SettingForm;

// An entry whose default is the same in both kinds of launcher.
CatalogueEntry same(int32_t id, std::string_view name, SettingForm form, std::string_view value) {
  return {id, name, form, value, value};
}

// A message text, addressed by id only.
CatalogueEntry message(int32_t id, std::string_view text) { return same(id, "", SettingForm::Text, text); }

// The download site ends two messages; it is kept in one place so that both
// stay alike.
#define STAMP_JAVA_SITE "https://java.com"

// Setting 160 and 2002/2003 are filled in by the config loader: their values
// depend on application_id and on the included files.
const std::vector<CatalogueEntry> kCatalogue = {
    same(101, "name", F::Text, ""),
    same(102, "pass_error_log", F::Switch, "1"),
    same(103, "error_log", F::Text, "error.log"),
    same(104, "pass_output_log", F::Switch, "0"),
    same(105, "output_log", F::Text, "output.log"),
    {106, "java_side_flag", F::Switch, "0", "1"},
    {107, "executable_kind", F::Integer, "5", "1"},
    {108, "splash", F::Switch, "0", "1"},
    same(121, "class_path", F::Text, ""),
    {122, "main_class", F::Text, "com.morvane.runtime.installer.Installer", ""},
    {123, "vm_parameters", F::Text, " -Dsun.java2d.noddraw=true", ""},
    same(124, "default_arguments", F::Text, ""),
    same(125, "j_arguments_are_vm_options", F::Switch, "1"),
    same(126, "min_version", F::Text, "1.6"),
    same(127, "max_version", F::Text, "1.6"),
    same(128, "search_sequence", F::Text, "Y;EJAVA_HOME;EJDK_HOME;"),
    same(130, "allow_pre_release", F::Switch, "0"),
    same(131, "require_jdk", F::Switch, "0"),
    {141, "splash_width", F::Integer, "0", "430"},
    {142, "splash_height", F::Integer, "0", "260"},
    same(145, "splash_auto_off", F::Switch, "1"),
    same(146, "working_directory", F::Text, "."),
    {147, "splash_on_top", F::Switch, "1", "0"},
    same(149, "unused_149", F::Text, ""),
    same(150, "download_location", F::Text, ""),
    same(151, "bundled_jre_size", F::Integer, "0"),
    {152, "preferred_vm_type", F::Text, "", "server"},
    same(153, "bundled_jre_packed", F::Switch, "0"),
    same(154, "console_options", F::Switch, "0"),
    same(155, "no_progress_dialog", F::Switch, "0"),
    same(156, "console_option", F::Switch, "0"),
    same(157, "download_without_asking", F::Switch, "0"),
    same(158, "global_semaphore", F::Switch, "0"),
    same(159, "keep_waiting", F::Switch, "0"),
    same(160, "previous_installations", F::Text, ""),
    {161, "look_for_installed_jvm", F::Switch, "1", "0"},
    message(1000, "Error"),
    message(1001,
            "No JVM could be found on your system.\n"
            "Please define VELKOR_JAVA_HOME\n"
            "to point to an installed JDK or JRE or download a JRE from " STAMP_JAVA_SITE "."),
    message(1002,
            "The JVM found in your path is damaged.\n"
            "Please reinstall or define VELKOR_JAVA_HOME\n"
            "to point to an installed JDK or JRE."),
    message(1003, "The {0} environment variable does not\npoint to a working JDK or JRE."),
    message(1004,
            "The JVM found at {0} is damaged.\n"
            "Please reinstall or define VELKOR_JAVA_HOME\n"
            "to point to an installed JDK or JRE."),
    message(1005,
            "The JVM could not be started. The maximum heap size (-Xmx) might be too large or an antivirus or "
            "firewall tool could block the execution."),
    message(1006, "File or directory {0} not found or empty\n"),
    message(1007, "Wrong Parameter Usage"),
    message(1008, "The environment variable {0} has to be defined"),
    message(1009, "An internal error occurred (error code: {0})"),
    message(1010, "Couldn't load main class."),
    message(1011, "Main method not found."),
    message(1012, "Error"),
    message(1013, "Ok"),
    message(1014, "An error occurred while starting up {0}:"),
    message(1015, "You must be at least Poweruser to run this program."),
    message(1016,
            "No JVM could be found on your system.\n"
            "Please define VELKOR_JAVA_HOME\n"
            "to point to an installed {0}-bit JDK or JRE or download a JRE from " STAMP_JAVA_SITE "."),
    message(1017, "The {0} environment variable does not\npoint to a working 32-bit JDK or JRE."),
    message(1018, "The {0} environment variable does not\npoint to a working 64-bit JDK or JRE."),
    message(1019,
            "The JVM found at {0} is damaged.\n"
            "Please reinstall or define VELKOR_JAVA_HOME\n"
            "to point to an installed 32-bit JDK or JRE."),
    message(1020,
            "The JVM found at {0} is damaged.\n"
            "Please reinstall or define VELKOR_JAVA_HOME\n"
            "to point to an installed 64-bit JDK or JRE."),
    same(2001, "product_letter", F::Text, "i"),
    same(2002, "included_file_count", F::Integer, "0"),
    same(2003, "included_file_names", F::Text, ""),
    {10003, "installation_directory", F::Text, ".", "..\\"},
    {10004, "native_library_directories", F::Text, "", "..\\lib"},
    {10005, "single_instance", F::Switch, "0", "1"},
    same(10109, "status_x", F::Integer, "20"),
    same(10110, "status_y", F::Integer, "200"),
    same(10111, "status_text", F::Text, ""),
    same(10112, "status_font", F::Text, "Arial"),
    same(10113, "status_font_size", F::Integer, "8"),
    same(10114, "status_color", F::Colour, "0,0,0"),
    same(10115, "status_font_weight", F::Integer, "400"),
    same(10116, "version_x", F::Integer, "20"),
    same(10117, "version_y", F::Integer, "220"),
    same(10118, "version_text", F::Text, ""),
    same(10119, "version_font", F::Text, "Arial"),
    same(10120, "version_font_size", F::Integer, "8"),
    same(10121, "version_color", F::Colour, "0,0,0"),
    same(10122, "version_font_weight", F::Integer, "400"),
    same(10123, "java_splash", F::Switch, "0"),
};

#undef STAMP_JAVA_SITE

}  // namespace

const std::vector<CatalogueEntry>& narrowCatalogue() { return kCatalogue; }

const CatalogueEntry* findSetting(int32_t id) {
  auto it = std::lower_bound(kCatalogue.begin(), kCatalogue.end(), id,
                             [](const CatalogueEntry& entry, int32_t key) { return entry.id < key; });
  return it != kCatalogue.end() && it->id == id ? &*it : nullptr;
}

const CatalogueEntry* findSettingByName(std::string_view name) {
  if (name.empty()) return nullptr;
  for (const CatalogueEntry& entry : kCatalogue)
    if (entry.name == name) return &entry;
  return nullptr;
}

std::string_view settingName(int32_t id) {
  const CatalogueEntry* entry = findSetting(id);
  return entry ? entry->name : std::string_view();
}

std::vector<WideDefault> setupWideTexts(std::u16string_view applicationName) {
  const std::u16string name(applicationName);
  return {
      {20001, name + u" is downloading the Java(TM) Runtime Environment. Please wait."},
      {20002, u"Cannot initialize wininet.dll. Please install\nInternet Explorer 3.0 or higher."},
      {20003, u"Error downloading the Java(TM) Runtime Environment.\nPlease check your internet connection and start "
              u"setup again."},
      {20004, u"Please choose the file \"java.exe\" of the JRE"},
      {20005, u"The morvane wizard could not find a Java(TM) Runtime Environment on your system. You can locate or "
              u"download a suitable %S-bit JRE."},
      {20006, u"The morvane wizard could not find a Java(TM) Runtime Environment on your system. Please locate a "
              u"suitable %S-bit JRE."},
      {20007, name + u" is preparing the morvane Wizard which will guide you through the rest of the setup process."},
      {20008, u"%.2f MB of %.2f MB (%.1f%%) at %.1f kb/s"},
      {20009, u"Initializing connection ..."},
      {20010, u"Download"},
      {20011, u"Locate"},
      {20012, u"Cancel"},
      {20013, u"morvane Wizard"},
      {20014, u"The Java(TM) VM could not be started. Please restart\nthe installation.You may use the parameter "
              u"\"/manual\"\nto download or manually select a different VM."},
      {20015, u"The installer did not start up correctly on the last run.\nThis is probably caused by a corrupted "
              u"Java VM.\nDo you want to download or manually select the JVM?"},
      {20016, u"The installation file is corrupted. If it is a download please try it again."},
      {20018, u"Not Enough Disk Space"},
      {20019, u"minimum version:"},
      {20020, u"maximum version:"},
  };
}

std::string previousInstallationsValue(const std::optional<std::string>& applicationId) {
  return applicationId ? "allinstdirs" + *applicationId : std::string();
}

}  // namespace launcher::stamp
