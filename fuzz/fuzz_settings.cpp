// libFuzzer entry: see nibfuzz::FuzzSettings.
#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return nibfuzz::FuzzSettings(data, size);
}
