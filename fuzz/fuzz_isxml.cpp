// libFuzzer entry: see nibfuzz::FuzzIsXmlFile.
#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return nibfuzz::FuzzIsXmlFile(data, size);
}
