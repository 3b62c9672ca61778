#include "discovery/unpack.h"

#include <windows.h>

#include <cstdio>

#include "config/settings.h"
#include "runtime/errors.h"
#include "runtime/handles.h"
#include "runtime/log.h"
#include "runtime/paths.h"

namespace launcher {

void unpackFile(const std::string& javaHome, const std::string& packPath) {
  const std::string target = packPath.substr(0, packPath.size() >= 5 ? packPath.size() - 5 : 0);
  if (!pathExists(packPath)) {
    logMessage("pack path doesn't exists");
    return;
  }
  const std::string program = javaHome + "\\bin\\unpack200.exe";
  std::string commandLine = "-r \"" + packPath + "\" \"" + target + "\"";
  logMessage("%s", program.c_str());
  logMessage("%s", commandLine.c_str());

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION child{};
  if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr,
                      nullptr, &startup, &child)) {
    logMessage("could not create unpack process");
    fatalMessage(message::InternalError, "20");
  }
  ProcessHandle process(child.hProcess);
  ThreadHandle thread(child.hThread);
  logMessage("waiting for unpack200 to finish");
  WaitForSingleObject(process.get(), INFINITE);
  logMessage("unpack done");
}

void unpackJar(const std::string& runtimeDirectory, const std::string& library) {
  unpackFile(runtimeDirectory, runtimeDirectory + "\\" + library + ".pack");
}

void unpackJre(const std::string& runtimeDirectory) {
  if (!pathExists(runtimeDirectory + "\\lib\\rt.jar.pack") || pathExists(runtimeDirectory + "\\lib\\jsse.jar")) return;
  logMessage("Unpacking JRE");
  std::printf("Preparing JRE ...\n");
  std::fflush(stdout);
  for (const char* library : {"lib\\rt.jar", "lib\\charsets.jar", "lib\\plugin.jar", "lib\\deploy.jar",
                              "lib\\ext\\localedata.jar", "lib\\jsse.jar"})
    unpackJar(runtimeDirectory, library);
  logMessage("Unpacking JRE done");
}

}  // namespace launcher
