// What JVM discovery keeps in and reads from the registry: the runtimes
// registered by Java installers, the runtimes located by hand, and the
// version cache keyed by java executable and last-write time.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace launcher {

// The search entry 'Y': the JavaSoft runtime against the located ones; the
// higher version wins, a tie goes to the located runtime.
bool findRegistryJvm(std::string& javaExe, const std::string& minimum, const std::string& maximum);

bool findJavaSoftJvm(std::string& javaExe, std::string& version, const std::string& minimum,
                     const std::string& maximum);
bool findJavaSoftCurrent(std::string& javaExe, std::string& version, const std::string& minimum,
                         const std::string& maximum);
bool findJavaSoftSubkey(std::string& javaExe, std::string& version, const std::string& minimum,
                        const std::string& maximum, const std::string& productKey);
bool findLocatedJvm(HKEY hive, std::string& javaExe, std::string& version, const std::string& minimum,
                    const std::string& maximum);

// Records a java executable the user picked; under HKEY_LOCAL_MACHINE, or
// HKEY_CURRENT_USER when that cannot be written.
void rememberLocatedJvm(const std::string& javaExe);

bool readCachedVersion(const std::string& javaExe, uint64_t lastWriteTime, std::string& version);
void writeCachedVersion(const std::string& javaExe, uint64_t lastWriteTime, const std::string& version);

// A value of the key under hive; size is the buffer's size in and the
// value's size out.
bool readRegistryValue(HKEY hive, const std::string& key, const std::string& name, void* buffer, DWORD& size);

// The subkey name of a path: every backslash becomes a forward slash.
std::string pathKey(std::string path);

}  // namespace launcher
