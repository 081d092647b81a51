// libFuzzer entry: see nibfuzz::FuzzTextFile.
#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return nibfuzz::FuzzTextFile(data, size);
}
