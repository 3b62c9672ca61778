// Times the JVM search over one stand-in runtime: searches that must start
// java.exe -version (the cache entry removed first) against the same search
// answered from the version cache. Prints one line per kind.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "config/settings.h"
#include "discovery/registry.h"
#include "discovery/search.h"
#include "runtime/paths.h"

using namespace launcher;

namespace {

double medianOf(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

template <typename Before>
std::vector<double> timeSearches(int rounds, Before before) {
  std::vector<double> milliseconds;
  for (int i = 0; i < rounds; ++i) {
    before();
    std::string javaExe, location;
    const auto start = std::chrono::steady_clock::now();
    const int kind = searchJvm(javaExe, location);
    const auto end = std::chrono::steady_clock::now();
    if (kind != kJavaHomeDirectory) {
      std::fprintf(stderr, "search failed (kind %d)\n", kind);
      std::exit(1);
    }
    milliseconds.push_back(std::chrono::duration<double, std::milli>(end - start).count());
  }
  return milliseconds;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: search_bench <runtime home> [rounds]\n");
    return 2;
  }
  const std::string home = argv[1];
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 20;
  g_settings.narrow[setting::SearchSequence] = "A" + home;
  g_settings.narrow[setting::ExecutableKind] = "5";
  std::string javaExe = home + "\\bin\\java.exe";
  lowerCasePath(javaExe);
  const std::string cacheKey = "SOFTWARE\\orbenta\\velkor\\jvms\\" + pathKey(javaExe);
  auto forget = [&] { RegDeleteKeyA(HKEY_CURRENT_USER, cacheKey.c_str()); };

  const std::vector<double> probed = timeSearches(rounds, forget);
  const std::vector<double> cached = timeSearches(rounds, [] {});
  forget();
  const double probedMedian = medianOf(probed);
  const double cachedMedian = medianOf(cached);
  std::printf("search with probe : median %8.2f ms over %d runs\n", probedMedian, rounds);
  std::printf("search from cache : median %8.2f ms over %d runs\n", cachedMedian, rounds);
  std::printf("probe / cache     : %8.1f x\n", probedMedian / cachedMedian);
  return 0;
}
