#include "process/windows_ops.h"

#include <windows.h>

#include "runtime/handles.h"

namespace launcher {

bool isWindowsNt() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&info)) return false;
#pragma GCC diagnostic pop
  return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool attachConsole() {
  using AttachFunction = BOOL(WINAPI*)(DWORD);
  AttachFunction attach = nullptr;
  if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll"))
    attach = reinterpret_cast<AttachFunction>(reinterpret_cast<void*>(GetProcAddress(kernel, "AttachConsole")));
  if (attach) {
    if (attach(ATTACH_PARENT_PROCESS)) return true;
    const DWORD lastError = GetLastError();
    // Access is denied when the process has a console already.
    if (lastError == ERROR_ACCESS_DENIED) return true;
  }
  return AllocConsole() != FALSE;
}

void rebootMachine() {
  Sleep(5000);
  if (isWindowsNt()) {
    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &rawToken)) return;
    UniqueHandle<KernelObjectTraits> token(rawToken);
    TOKEN_PRIVILEGES privileges{};
    if (!LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) return;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
    // Succeeds without the privilege too; only the last error tells.
    const DWORD lastError = GetLastError();
    if (lastError != ERROR_SUCCESS) return;
  }
  ExitWindowsEx(EWX_REBOOT, 0);
}

}  // namespace launcher
