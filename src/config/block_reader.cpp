#include "config/block_reader.h"

#include "config/locale_names.h"
#include "runtime/errors.h"
#include "runtime/log.h"
#include "runtime/paths.h"

namespace launcher {

bool FileSource::read(void* buffer, uint32_t count, uint32_t& bytesRead, uint32_t& systemError) {
  DWORD read = 0;
  const BOOL ok = ReadFile(file_, buffer, count, &read, nullptr);
  systemError = ok ? 0 : GetLastError();
  bytesRead = read;
  return ok != FALSE;
}

void FileSource::seek(uint32_t offset) { SetFilePointer(file_, static_cast<LONG>(offset), nullptr, FILE_BEGIN); }

uint64_t FileSource::position() const {
  LARGE_INTEGER zero{}, position{};
  if (!SetFilePointerEx(file_, zero, &position, FILE_CURRENT)) return 0;
  return static_cast<uint64_t>(position.QuadPart);
}

uint64_t FileSource::size() const {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file_, &size)) return 0;
  return static_cast<uint64_t>(size.QuadPart);
}

FileHandle openOwnExecutable() {
  const std::string& path = getExePath();
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    logError("Could not open %s", path.c_str());
    fatalError("Error opening media file. Please move this file to an ascii-only path like c:\\");
  }
  return file;
}

std::optional<std::string> getUserLocaleName() {
  const LCID locale = GetUserDefaultLCID();
  return localeNameForLanguage(static_cast<uint16_t>(locale & 0xFFFF));
}

int readAppendedBlock() {
  FileHandle file = openOwnExecutable();
  FileSource source(file.get());
  BlockReader reader(source);
  if (!seekToAppendedBlock(reader)) fatalError(blockErrorMessage(reader.error()));
  const ConfigurationResult result = readConfiguration(reader, g_settings, getUserLocaleName);
  if (result.error != BlockError::None) fatalError(blockErrorMessage(result.error));
  g_payload.configurationEnd = result.configurationEnd;
  file.reset();

  const int kind = getIntSetting(setting::ExecutableKind);
  if (kind != 1 && kind != 5) useConsoleErrors();
  return kind;
}

}  // namespace launcher
