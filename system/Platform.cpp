#include "system/Platform.h"

namespace {
IPlatform* g_override = nullptr;
}

IPlatform& Platform() {
    return g_override ? *g_override : NativePlatform();
}

void SetPlatform(IPlatform* platform) {
    g_override = platform;
}
