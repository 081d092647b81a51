// libFuzzer entry: see nibfuzz::FuzzXmlFile.
#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return nibfuzz::FuzzXmlFile(data, size);
}
