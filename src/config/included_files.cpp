#include "config/included_files.h"

#include <vector>

#include "config/block_format.h"
#include "config/block_reader.h"
#include "config/settings.h"
#include "runtime/errors.h"
#include "runtime/log.h"
#include "runtime/path_rules.h"
#include "runtime/paths.h"

namespace launcher {

int copyBytes(HANDLE source, HANDLE target, int64_t count, bool unscramble) {
  std::vector<uint8_t> chunk(8192);
  int64_t done = 0;
  while (done < count) {
    const DWORD wanted = static_cast<DWORD>(count - done < 8192 ? count - done : 8192);
    DWORD read = 0;
    if (!ReadFile(source, chunk.data(), wanted, &read, nullptr) || read == 0) {
      const DWORD lastError = GetLastError();
      logError("ReadFile failed %d %d %lld", static_cast<int>(read), static_cast<int>(lastError),
               static_cast<long long>(done));
      return kReadFailed;
    }
    if (unscramble)
      for (DWORD i = 0; i < read; ++i) chunk[i] ^= kScrambleKey;
    DWORD written = 0;
    while (written < read) {
      DWORD now = 0;
      if (!WriteFile(target, chunk.data() + written, read - written, &now, nullptr)) {
        const DWORD lastError = GetLastError();
        logError("WriteFile failed %d %d", static_cast<int>(read - written), static_cast<int>(lastError));
        return kWriteFailed;
      }
      written += now;
    }
    done += read;
  }
  return kExtracted;
}

int extractFile(HANDLE executable, const std::string& targetPath) {
  FileSource source(executable);
  BlockReader reader(source);
  const std::optional<int64_t> size = reader.readLong();
  if (!size) fatalError(blockErrorMessage(reader.error()));
  logMessage("extracting %s (size: %lld)", targetPath.c_str(), static_cast<long long>(*size));
  if (*size <= 0) return kExtracted;
  FileHandle target(CreateFileA(targetPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
  if (!target) fatalMessage(message::InternalError, "11");
  return copyBytes(executable, target.get(), *size, true);
}

void emptyDirectory(const std::string& path) {
  if (path.empty() || path[0] == '.') return;
  logMessage("emptying %s", path.c_str());
  const std::string pattern = path + (path.back() == '\\' ? "" : "\\") + "*.*";
  WIN32_FIND_DATAA entry;
  FindHandle search(FindFirstFileA(pattern.c_str(), &entry));
  if (!search) return;
  do {
    const std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    const std::string full = path + "\\" + name;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      logMessage("attempting to remove %s", full.c_str());
      RemoveDirectoryA(full.c_str());
    } else {
      logMessage("attempting to delete %s", full.c_str());
      DeleteFileA(full.c_str());
    }
  } while (FindNextFileA(search.get(), &entry));
}

int extractIncludedFiles(bool createDirectory) {
  logMessage("extracting files");
  const int count = getIntSetting(setting::IncludedFileCount);
  logMessage("Included files: %d", count);
  if (count == 0) {
    if (createDirectory) g_paths.launcherTempDirectory.clear();
    return kExtracted;
  }
  if (createDirectory) createLauncherTempDirectory();

  FileHandle executable = openOwnExecutable();
  SetFilePointer(executable.get(), static_cast<LONG>(g_payload.configurationEnd), nullptr, FILE_BEGIN);
  const std::string& directory = g_paths.launcherTempDirectory;
  const std::string names = getSetting(setting::IncludedFileNames);
  int done = 0;
  for (std::string_view piece : splitList(names, ';')) {
    if (done >= count) break;
    const std::string name(piece);
    const std::string target = directory + "\\" + name;
    const std::size_t backslash = name.find('\\');
    if (backslash != std::string::npos) {
      const std::string subdirectory = directory + "\\" + name.substr(0, backslash);
      logMessage("creating directory %s", subdirectory.c_str());
      if (!CreateDirectoryA(subdirectory.c_str(), nullptr)) {
        const DWORD lastError = GetLastError();
        if (lastError != ERROR_ALREADY_EXISTS) logError("failed to create directory %s", subdirectory.c_str());
      }
    }
    const int result = extractFile(executable.get(), target);
    if (result != kExtracted) {
      logError("Failed to extract %s", target.c_str());
      emptyDirectory(directory);
      RemoveDirectoryA(directory.c_str());
      return result;
    }
    ++done;
  }
  LARGE_INTEGER zero{}, position{};
  SetFilePointerEx(executable.get(), zero, &position, FILE_CURRENT);
  g_payload.unextracted = static_cast<uint32_t>(position.QuadPart);
  logMessage("extracting files done");
  return kExtracted;
}

}  // namespace launcher
