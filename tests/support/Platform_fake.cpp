#include "tests/support/Platform_fake.h"

#include <sys/stat.h>
#include <unistd.h>

std::string FakePlatform::GetEnv(const std::string& name) {
    auto it = Env.find(name);
    return it == Env.end() ? std::string() : it->second;
}

bool FakePlatform::FileExists(const std::string& path) {
    Probes.push_back(path);
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FakePlatform::FolderWritable(const std::string& path) {
#ifdef _WIN32
    // Windows grants folder rights by access lists that only the system evaluates: ask it.
    return NativePlatform().FolderWritable(path);
#else
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && ::access(path.c_str(), W_OK | X_OK) == 0;
#endif
}

void FakePlatform::StartElevated(const std::string& file, const std::string& parameters) {
    Starts.push_back({file, parameters});
    if (FailStartsFrom >= 0 && static_cast<int>(Starts.size()) > FailStartsFrom)
        throw ElevationError("The operation was canceled by the user.", FailCode);
}
