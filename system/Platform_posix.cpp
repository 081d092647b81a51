// The POSIX implementation of the platform layer.
#include "system/Platform.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace {

class PosixPlatform : public IPlatform {
public:
    std::string GetEnv(const std::string& name) override {
        const char* value = std::getenv(name.c_str());
        return value ? std::string(value) : std::string();
    }

    bool FileExists(const std::string& path) override {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    }

    std::string ExecutablePath() override {
        char buf[PATH_MAX];
        const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
        if (n <= 0)
            return std::string();
        return std::string(buf, static_cast<size_t>(n));
    }

    // access() also answers for root: a folder on a read-only mount or marked immutable is not writable.
    bool FolderWritable(const std::string& path) override {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
               ::access(path.c_str(), W_OK | X_OK) == 0;
    }

    // Services are a Windows matter: there is no elevated command window to start here, and pretending
    // success would hide that the driver never reads the new curve.
    void StartElevated(const std::string&, const std::string&) override {
        throw ElevationError("elevation is not available on this platform", 0);
    }
};

} // namespace

IPlatform& NativePlatform() {
    static PosixPlatform platform;
    return platform;
}
