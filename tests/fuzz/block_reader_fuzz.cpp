// Any file at all: the reader either fills the store or names one failure,
// without crashing, allocating beyond the input or looping.
#include <cstddef>
#include <cstdint>

#include "config/block_format.h"

using namespace launcher;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    // The input as a whole executable: PE headers first.
    MemorySource source(data, size);
    BlockReader reader(source);
    if (seekToAppendedBlock(reader)) {
      SettingsStore store;
      readConfiguration(reader, store, [] { return std::optional<std::string>("de_CH"); });
    }
  }
  {
    // The input as a block, so the fuzzer need not discover PE headers.
    MemorySource source(data, size);
    BlockReader reader(source);
    SettingsStore store;
    const ConfigurationResult result =
        readConfiguration(reader, store, [] { return std::optional<std::string>("de"); });
    if (result.error == BlockError::None && result.configurationEnd > size) __builtin_trap();
  }
  return 0;
}
