// libFuzzer entry: see nibfuzz::FuzzXmlScan.
#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return nibfuzz::FuzzXmlScan(data, size);
}
