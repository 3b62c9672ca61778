// The settings store: every piece of configuration a launcher carries reaches
// the code as a small text keyed by an integer id. The store is filled once on
// the main thread, before any other thread exists, and is read-only afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace launcher {

// UTF-16 text. Portable code never uses wchar_t, whose width differs between
// Windows and Linux; the Win32 layer reinterprets these as wchar_t.
using WideString = std::u16string;
using WideStringView = std::u16string_view;

// Fixed text limit of settings, paths and messages (bytes, or UTF-16 units).
inline constexpr std::size_t kTextBufferSize = 8192;

struct SettingsStore {
  std::map<int32_t, std::string> narrow;
  std::map<int32_t, WideString> wide;
};

// The process-wide store.
extern SettingsStore g_settings;

// The narrow text of the id, cut to what a caller buffer of bufferSize bytes
// holds with its terminating zero; empty when the id is absent.
std::string getSetting(int32_t id, std::size_t bufferSize = kTextBufferSize);
// The wide text of the id, cut to 8191 units; empty when absent.
WideString getWideSetting(int32_t id);
// The narrow text read like the C library's atoi.
int32_t getIntSetting(int32_t id);
// The narrow text "red,green,blue" as a GDI colour 0x00BBGGRR.
uint32_t getColorSetting(int32_t id);

// The conversions behind the accessors, for callers holding a text.
int32_t parseAtoi(std::string_view text);
uint32_t parseColor(std::string_view text);

// Settings are referred to by these names in code; the ids are the ones the
// building tool writes.
namespace setting {
inline constexpr int32_t ApplicationName = 101;
inline constexpr int32_t PassErrorLog = 102;
inline constexpr int32_t ErrorLogFile = 103;
inline constexpr int32_t PassOutputLog = 104;
inline constexpr int32_t OutputLogFile = 105;
inline constexpr int32_t JavaSideFlag = 106;
inline constexpr int32_t ExecutableKind = 107;
inline constexpr int32_t ShowSplash = 108;
inline constexpr int32_t ClassPath = 121;
inline constexpr int32_t MainClass = 122;
inline constexpr int32_t VmParameters = 123;
inline constexpr int32_t DefaultArguments = 124;
inline constexpr int32_t JArgumentsAreVmOptions = 125;
inline constexpr int32_t MinimumVersion = 126;
inline constexpr int32_t MaximumVersion = 127;
inline constexpr int32_t SearchSequence = 128;
inline constexpr int32_t AllowPreRelease = 130;
inline constexpr int32_t RequireJdk = 131;
inline constexpr int32_t SplashWidth = 141;
inline constexpr int32_t SplashHeight = 142;
inline constexpr int32_t SplashAutoOff = 145;
inline constexpr int32_t WorkingDirectory = 146;
inline constexpr int32_t SplashOnTop = 147;
inline constexpr int32_t DownloadLocation = 150;
inline constexpr int32_t BundledJreSize = 151;
inline constexpr int32_t PreferredVmType = 152;
inline constexpr int32_t BundledJrePacked = 153;
inline constexpr int32_t ConsoleOptions = 154;
inline constexpr int32_t NoProgressDialog = 155;
inline constexpr int32_t ConsoleOption = 156;
inline constexpr int32_t DownloadWithoutAsking = 157;
inline constexpr int32_t GlobalSemaphore = 158;
inline constexpr int32_t KeepWaiting = 159;
inline constexpr int32_t PreviousInstallations = 160;
inline constexpr int32_t LookForInstalledJvm = 161;
inline constexpr int32_t ProductLetter = 2001;
inline constexpr int32_t IncludedFileCount = 2002;
inline constexpr int32_t IncludedFileNames = 2003;
inline constexpr int32_t InstallationDirectory = 10003;
inline constexpr int32_t NativeLibraryDirectories = 10004;
inline constexpr int32_t SingleInstance = 10005;
inline constexpr int32_t JavaSplash = 10123;
}  // namespace setting

// Narrow message texts; "{0}" is their one placeholder.
namespace message {
inline constexpr int32_t ErrorTitle = 1000;
inline constexpr int32_t JvmNotStarted = 1005;
inline constexpr int32_t ClassPathEntryMissing = 1006;
inline constexpr int32_t WrongParameterUsage = 1007;
inline constexpr int32_t VariableUndefined = 1008;
inline constexpr int32_t InternalError = 1009;
inline constexpr int32_t MainClassNotLoaded = 1010;
inline constexpr int32_t MainMethodNotFound = 1011;
inline constexpr int32_t NoTempDirectory = 1015;
inline constexpr int32_t NoJvmFound = 1016;
inline constexpr int32_t VariableJvmBroken = 1018;
inline constexpr int32_t JvmDamaged = 1020;
}  // namespace message

// Wide texts of the setup launcher.
namespace wide_text {
inline constexpr int32_t SetupTitle = 20013;
inline constexpr int32_t FileCorrupted = 20016;
inline constexpr int32_t NotEnoughDiskSpace = 20018;
}  // namespace wide_text

}  // namespace launcher
