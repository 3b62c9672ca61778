// One owning type per kind of Win32 handle. Each closes its handle with the
// function that belongs to the kind, and only a handle that is valid for it.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <utility>

namespace launcher {

template <typename Traits>
class UniqueHandle {
 public:
  using Type = typename Traits::Type;

  UniqueHandle() = default;
  explicit UniqueHandle(Type handle) : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  Type get() const { return handle_; }
  explicit operator bool() const { return Traits::valid(handle_); }
  Type release() { return std::exchange(handle_, Traits::invalid()); }
  void reset(Type handle = Traits::invalid()) {
    if (Traits::valid(handle_)) Traits::close(handle_);
    handle_ = handle;
  }
  // For APIs that hand a new handle back through a pointer.
  Type* receive() {
    reset();
    return &handle_;
  }

 private:
  Type handle_ = Traits::invalid();
};

struct FileTraits {
  using Type = HANDLE;
  static Type invalid() { return INVALID_HANDLE_VALUE; }
  static bool valid(Type h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void close(Type h) { CloseHandle(h); }
};
struct FindTraits {
  using Type = HANDLE;
  static Type invalid() { return INVALID_HANDLE_VALUE; }
  static bool valid(Type h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void close(Type h) { FindClose(h); }
};
struct RegistryKeyTraits {
  using Type = HKEY;
  static Type invalid() { return nullptr; }
  static bool valid(Type h) { return h != nullptr; }
  static void close(Type h) { RegCloseKey(h); }
};
struct ModuleTraits {
  using Type = HMODULE;
  static Type invalid() { return nullptr; }
  static bool valid(Type h) { return h != nullptr; }
  static void close(Type h) { FreeLibrary(h); }
};
struct InternetTraits {
  using Type = HINTERNET;
  static Type invalid() { return nullptr; }
  static bool valid(Type h) { return h != nullptr; }
  // WinINet is loaded at run time; the owner of the handle closes it through
  // the entry point it looked up, so this type only tracks ownership.
  static void close(Type) {}
};
struct KernelObjectTraits {
  using Type = HANDLE;
  static Type invalid() { return nullptr; }
  static bool valid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void close(Type h) { CloseHandle(h); }
};

using FileHandle = UniqueHandle<FileTraits>;
using FindHandle = UniqueHandle<FindTraits>;
using RegistryKey = UniqueHandle<RegistryKeyTraits>;
using ModuleHandle = UniqueHandle<ModuleTraits>;
using InternetHandle = UniqueHandle<InternetTraits>;

// Semaphores, processes and threads are kernel objects closed the same way,
// but they are distinct types so that one cannot be passed for another.
struct SemaphoreTraits : KernelObjectTraits {};
struct ProcessTraits : KernelObjectTraits {};
struct ThreadTraits : KernelObjectTraits {};
using SemaphoreHandle = UniqueHandle<SemaphoreTraits>;
using ProcessHandle = UniqueHandle<ProcessTraits>;
using ThreadHandle = UniqueHandle<ThreadTraits>;

}  // namespace launcher
