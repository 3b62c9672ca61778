#include "tests/test_support.h"

#include <atomic>
#include <cstring>

#include "support/standin_support.h"

namespace standin::testing {
namespace {

std::wstring testsDirectory() { return parentDirectory(modulePath(nullptr)); }

std::wstring fullPath(const std::wstring& path) {
  DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  std::wstring full(size, L'\0');
  DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  full.resize(length);
  return full;
}

bool createDirectories(const std::wstring& path) {
  if (path.empty()) return false;
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  std::wstring parent = parentDirectory(path);
  if (parent != path && !createDirectories(parent)) return false;
  return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

template <typename T>
bool readAt(const std::string& bytes, std::size_t offset, T& value) {
  if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) return false;
  std::memcpy(&value, bytes.data() + offset, sizeof(T));
  return true;
}

HANDLE inheritableFile(const std::wstring& path) {
  if (path.empty()) return nullptr;
  SECURITY_ATTRIBUTES security{sizeof security, nullptr, TRUE};
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &security, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

}  // namespace

std::wstring stageDirectory() {
  std::wstring relative = wideFromUtf8(STANDIN_STAGE_FROM_TESTS);
  for (wchar_t& c : relative) {
    if (c == L'/') c = L'\\';
  }
  return fullPath(testsDirectory() + L"\\" + relative);
}

std::wstring besideTests(std::wstring_view fileName) { return testsDirectory() + L"\\" + std::wstring(fileName); }

TempDirectory::TempDirectory(std::wstring_view nameHint) {
  static std::atomic<unsigned> counter{0};
  wchar_t base[MAX_PATH + 1];
  DWORD length = GetTempPathW(MAX_PATH + 1, base);
  std::wstring root(base, length);
  if (!root.empty() && root.back() == L'\\') root.pop_back();
  path_ = root + L"\\" + std::wstring(nameHint) + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
          std::to_wstring(++counter) + L"-" + std::to_wstring(GetTickCount64());
  createDirectories(path_);
}

TempDirectory::~TempDirectory() { removeTree(path_); }

bool fileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool writeFile(const std::wstring& path, std::string_view bytes) {
  if (!createDirectories(parentDirectory(path))) return false;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
  CloseHandle(file);
  return ok;
}

std::string readFile(const std::wstring& path) {
  std::string bytes;
  readWholeFile(path, bytes);
  return bytes;
}

std::vector<std::string> splitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

bool copyFileCreatingDirectories(const std::wstring& from, const std::wstring& to) {
  return createDirectories(parentDirectory(to)) && CopyFileW(from.c_str(), to.c_str(), FALSE);
}

bool copyTree(const std::wstring& from, const std::wstring& to) {
  if (!createDirectories(to)) return false;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((from + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  do {
    std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      ok = copyTree(from + L"\\" + name, to + L"\\" + name) && ok;
    } else {
      ok = CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), FALSE) && ok;
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return ok;
}

void removeTree(const std::wstring& path) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring child = path + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        removeTree(child);
      } else {
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(path.c_str());
}

ProcessResult runProcess(const std::wstring& application, const std::wstring& commandLine,
                         const std::wstring& outputPath, const std::wstring& errorPath, DWORD timeoutMs) {
  ProcessResult result;
  HANDLE output = inheritableFile(outputPath);
  HANDLE error = inheritableFile(errorPath);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = nullptr;
  startup.hStdOutput = output;
  startup.hStdError = error;
  PROCESS_INFORMATION process{};
  std::wstring mutableLine = commandLine;
  result.started = CreateProcessW(application.empty() ? nullptr : application.c_str(), mutableLine.data(), nullptr,
                                  nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &process);
  if (!result.started) {
    result.error = GetLastError();
  } else {
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_TIMEOUT) {
      result.timedOut = true;
      TerminateProcess(process.hProcess, 1);
      WaitForSingleObject(process.hProcess, INFINITE);
    }
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  if (output) CloseHandle(output);
  if (error) CloseHandle(error);
  return result;
}

PeFacts inspectPe(const std::wstring& path) {
  PeFacts facts;
  std::string bytes = readFile(path);
  IMAGE_DOS_HEADER dos;
  if (!readAt(bytes, 0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return facts;
  std::size_t nt = static_cast<std::size_t>(dos.e_lfanew);
  DWORD signature = 0;
  IMAGE_FILE_HEADER file;
  if (!readAt(bytes, nt, signature) || signature != IMAGE_NT_SIGNATURE || !readAt(bytes, nt + 4, file)) return facts;
  std::size_t optional = nt + 4 + sizeof(IMAGE_FILE_HEADER);
  WORD magic = 0;
  if (!readAt(bytes, optional, magic)) return facts;
  IMAGE_DATA_DIRECTORY exportDirectory{};
  if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
    IMAGE_OPTIONAL_HEADER64 header;
    if (!readAt(bytes, optional, header)) return facts;
    exportDirectory = header.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  } else if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
    IMAGE_OPTIONAL_HEADER32 header;
    if (!readAt(bytes, optional, header)) return facts;
    exportDirectory = header.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  } else {
    return facts;
  }
  std::vector<IMAGE_SECTION_HEADER> sections(file.NumberOfSections);
  std::size_t sectionTable = optional + file.SizeOfOptionalHeader;
  for (std::size_t i = 0; i < sections.size(); ++i) {
    if (!readAt(bytes, sectionTable + i * sizeof(IMAGE_SECTION_HEADER), sections[i])) return facts;
  }
  auto offsetOf = [&](DWORD rva, std::size_t& offset) {
    for (const IMAGE_SECTION_HEADER& section : sections) {
      DWORD size = section.Misc.VirtualSize ? section.Misc.VirtualSize : section.SizeOfRawData;
      if (rva >= section.VirtualAddress && rva < section.VirtualAddress + size) {
        offset = rva - section.VirtualAddress + section.PointerToRawData;
        return true;
      }
    }
    return false;
  };
  facts.machine = file.Machine;
  facts.isDll = (file.Characteristics & IMAGE_FILE_DLL) != 0;
  if (exportDirectory.VirtualAddress != 0) {
    std::size_t offset = 0;
    IMAGE_EXPORT_DIRECTORY exports;
    if (!offsetOf(exportDirectory.VirtualAddress, offset) || !readAt(bytes, offset, exports)) return facts;
    std::size_t names = 0;
    if (exports.NumberOfNames && !offsetOf(exports.AddressOfNames, names)) return facts;
    for (DWORD i = 0; i < exports.NumberOfNames; ++i) {
      DWORD nameRva = 0;
      std::size_t nameOffset = 0;
      if (!readAt(bytes, names + i * sizeof(DWORD), nameRva) || !offsetOf(nameRva, nameOffset)) return facts;
      std::size_t end = bytes.find('\0', nameOffset);
      if (end == std::string::npos) return facts;
      facts.exports.push_back(bytes.substr(nameOffset, end - nameOffset));
    }
  }
  facts.valid = true;
  return facts;
}

std::string captureStandardError(const std::wstring& file, const std::function<void()>& action) {
  HANDLE capture = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  HANDLE previous = GetStdHandle(STD_ERROR_HANDLE);
  SetStdHandle(STD_ERROR_HANDLE, capture);
  action();
  SetStdHandle(STD_ERROR_HANDLE, previous);
  if (capture != INVALID_HANDLE_VALUE) CloseHandle(capture);
  return readFile(file);
}

}  // namespace standin::testing
