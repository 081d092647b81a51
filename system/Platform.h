#pragma once
// The one door to the operating system. Everything else in Nibwright reaches the environment, the file
// system's existence test, the executable's path and elevated starts through this interface, so the same
// logic runs on Windows, on POSIX systems and under a recording fake in the tests.
// Texts are UTF-8 on every platform; this header uses no Qt.

#include <stdexcept>
#include <string>

class IPlatform {
public:
    virtual ~IPlatform() = default;
    // The value of an environment variable; an unset variable yields the empty string.
    virtual std::string GetEnv(const std::string& name) = 0;
    // True only for an existing regular file (a folder of that name gives false).
    virtual bool FileExists(const std::string& path) = 0;
    // The full path of the running executable.
    virtual std::string ExecutablePath() = 0;
    // True when this process may create files in the existing folder `path`.
    virtual bool FolderWritable(const std::string& path) = 0;
    // Starts `file` with `parameters` elevated, in a visible window, without waiting for it.
    // Raises ElevationError on failure.
    virtual void StartElevated(const std::string& file, const std::string& parameters) = 0;
};

// Starting an elevated program failed; `code` is the system's last error code where there is one.
class ElevationError : public std::runtime_error {
public:
    ElevationError(const std::string& what, unsigned long code) : std::runtime_error(what), Code(code) {}
    unsigned long Code;
};

// The platform in use: the native one unless a test installed another.
IPlatform& Platform();
// Installs `platform` (not owned) in place of the native one; nullptr restores the native one.
void SetPlatform(IPlatform* platform);
// The native implementation of this build (Win32 or POSIX).
IPlatform& NativePlatform();
