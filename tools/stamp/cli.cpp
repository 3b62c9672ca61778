#include "cli.h"

#include <CLI/CLI.hpp>

#include <algorithm>

#include "config.h"
#include "file_io.h"
#include "inspect.h"

namespace launcher::stamp {
namespace {

std::string quotedPath(const std::filesystem::path& path) { return "\"" + pathToUtf8(path) + "\""; }

struct BuildRequest {
  std::string config;
  std::string output;
  std::string launcher;
};

int build(const BuildRequest& request, std::ostream& out, std::ostream& err) {
  const std::filesystem::path configPath = pathFromUtf8(request.config);
  const std::optional<std::vector<uint8_t>> text = readFileBytes(configPath);
  if (!text) {
    err << request.config << ": cannot read the config file\n";
    return kExitConfigError;
  }
  const ConfigResult loaded = loadConfig(
      std::string_view(reinterpret_cast<const char*>(text->data()), text->size()), configPath.parent_path());
  if (!loaded.ok()) {
    err << request.config << ": " << loaded.error << "\n";
    return kExitConfigError;
  }
  const StampConfig& config = loaded.config;

  // The command line wins; its paths are relative to the current directory.
  std::optional<std::filesystem::path> launcherPath = config.launcher;
  if (!request.launcher.empty()) launcherPath = pathFromUtf8(request.launcher);
  std::optional<std::filesystem::path> outputPath = config.output;
  if (!request.output.empty()) outputPath = pathFromUtf8(request.output);
  if (!launcherPath) {
    err << request.config << ": launcher: not given (set launcher or use --launcher)\n";
    return kExitConfigError;
  }
  if (!outputPath) {
    err << request.config << ": output: not given (set output or use -o)\n";
    return kExitConfigError;
  }

  const std::optional<std::vector<uint8_t>> launcher = readFileBytes(*launcherPath);
  if (!launcher) {
    err << "cannot read the launcher " << quotedPath(*launcherPath) << "\n";
    return kExitFailure;
  }
  const StampResult stamped = stampExecutable(*launcher, config.contents);
  if (!stamped.ok()) {
    err << "launcher " << quotedPath(*launcherPath) << ": " << stamped.error << "\n";
    return kExitFailure;
  }
  if (!writeFileBytes(*outputPath, stamped.executable)) {
    err << "cannot write " << quotedPath(*outputPath) << "\n";
    return kExitFailure;
  }
  out << "wrote " << quotedPath(*outputPath) << ": " << stamped.executable.size() << " bytes\n";
  return kExitSuccess;
}

int inspect(const std::string& executable, std::ostream& out, std::ostream& err) {
  const std::filesystem::path path = pathFromUtf8(executable);
  const std::optional<std::vector<uint8_t>> bytes = readFileBytes(path);
  if (!bytes) {
    err << "cannot read " << quotedPath(path) << "\n";
    return kExitFailure;
  }
  const InspectionResult result = inspectExecutable(*bytes);
  if (!result.ok()) {
    err << quotedPath(path) << ": " << result.error << "\n";
    return kExitFailure;
  }
  out << describeInspection(result.inspection);
  return result.inspection.damage.empty() ? kExitSuccess : kExitFailure;
}

}  // namespace

int runStamp(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  CLI::App app("Writes the configuration block onto a copy of a launcher executable.", "stamp");
  app.require_subcommand(1);
  // Paths such as /tmp/x.toml are arguments, not Windows-style options; Wine
  // users pass them.
  app.allow_windows_style_options(false);

  BuildRequest request;
  CLI::App* buildCommand = app.add_subcommand("build", "Stamp a launcher from a TOML config");
  buildCommand->add_option("CONFIG", request.config, "The config file")->required();
  buildCommand->add_option("-o,--output", request.output, "The launcher to write (overrides output)");
  buildCommand->add_option("--launcher", request.launcher, "The launcher to start from (overrides launcher)");

  std::string executable;
  CLI::App* inspectCommand = app.add_subcommand("inspect", "Describe the block of a stamped launcher");
  inspectCommand->add_option("EXE", executable, "The stamped launcher")->required();

  // CLI11 takes the arguments without the program name, last one first.
  std::vector<std::string> reversed(arguments.size() > 1 ? arguments.begin() + 1 : arguments.end(), arguments.end());
  std::reverse(reversed.begin(), reversed.end());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return kExitSuccess;
  } catch (const CLI::ParseError& error) {
    err << "stamp: " << error.what() << " (see stamp --help)\n";
    return kExitFailure;
  }
  if (*buildCommand) return build(request, out, err);
  return inspect(executable, out, err);
}

}  // namespace launcher::stamp
