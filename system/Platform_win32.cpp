// The Windows implementation of the platform layer. It uses no Qt, so that it can be compile-checked with
// a cross compiler on any build machine. Texts cross the interface as UTF-8; the wide Windows calls are
// used wherever a path or an environment value may hold characters outside the ANSI code page.
#include "system/ElevatedStart.h"
#include "system/Platform.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

static_assert(SEE_MASK_NOASYNC == SeeMaskNoAsync, "SEE_MASK_NOASYNC");
static_assert(SEE_MASK_FLAG_NO_UI == SeeMaskFlagNoUi, "SEE_MASK_FLAG_NO_UI");
static_assert(SW_SHOW == SwShow, "SW_SHOW");
// The structure is 60 bytes in a 32-bit build; cbSize is always taken from the compiler, since a 64-bit
// shell rejects a structure announced with the 32-bit size.
static_assert(sizeof(void*) != 4 || sizeof(SHELLEXECUTEINFOA) == 60, "SHELLEXECUTEINFOA size");

namespace {

std::wstring Widen(const std::string& text) {
    if (text.empty())
        return std::wstring();
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0)
        return std::wstring();
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string Narrow(const std::wstring& text, UINT codePage) {
    if (text.empty())
        return std::string();
    const int n = ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                        nullptr, nullptr);
    if (n <= 0)
        return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                          nullptr);
    return out;
}

class Win32Platform : public IPlatform {
public:
    std::string GetEnv(const std::string& name) override {
        const std::wstring wname = Widen(name);
        std::vector<wchar_t> buf(256);
        for (;;) {
            const DWORD n =
                ::GetEnvironmentVariableW(wname.c_str(), buf.data(), static_cast<DWORD>(buf.size()));
            if (n == 0)
                return std::string(); // unset (or empty)
            if (n < buf.size())
                return Narrow(std::wstring(buf.data(), n), CP_UTF8);
            buf.resize(n); // n is the size needed, terminator included
        }
    }

    bool FileExists(const std::string& path) override {
        const DWORD attributes = ::GetFileAttributesW(Widen(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }

    std::string ExecutablePath() override {
        std::vector<wchar_t> buf(MAX_PATH);
        for (;;) {
            const DWORD n = ::GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
            if (n == 0)
                return std::string();
            if (n < buf.size())
                return Narrow(std::wstring(buf.data(), n), CP_UTF8);
            // Truncated: the path is longer than the buffer.
            if (buf.size() >= 32768)
                return std::string();
            buf.resize(buf.size() * 2);
        }
    }

    // The folder's attributes say nothing of its access rights (Program Files is marked neither read-only nor
    // protected), so a file is created in it and deleted again when its handle closes.
    bool FolderWritable(const std::string& path) override {
        const DWORD attributes = ::GetFileAttributesW(Widen(path).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            return false;
        std::wstring probe = Widen(path);
        if (!probe.empty() && probe.back() != L'\\' && probe.back() != L'/')
            probe += L'\\';
        probe += L"nibwright-" + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
        const HANDLE handle = ::CreateFileW(
            probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
            FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return false;
        ::CloseHandle(handle);
        return true;
    }

    void StartElevated(const std::string& file, const std::string& parameters) override {
        // The shell's ANSI entry point takes texts in the ANSI code page.
        const std::string ansiFile = Narrow(Widen(file), CP_ACP);
        const std::string ansiParameters = Narrow(Widen(parameters), CP_ACP);
        const ElevatedStartFields fields = MakeElevatedStartFields(ansiFile, ansiParameters);

        SHELLEXECUTEINFOA info;
        ::ZeroMemory(&info, sizeof info);
        info.cbSize = sizeof info;
        info.fMask = fields.fMask;
        info.hwnd = static_cast<HWND>(fields.hwnd);
        info.lpVerb = fields.lpVerb;
        info.lpFile = fields.lpFile;
        info.lpParameters = fields.lpParameters;
        info.lpDirectory = fields.lpDirectory;
        info.nShow = fields.nShow;
        if (!::ShellExecuteExA(&info)) {
            const DWORD code = ::GetLastError();
            throw ElevationError("Cannot start " + file + " elevated (error " + std::to_string(code) + ")",
                                 code);
        }
    }
};

} // namespace

IPlatform& NativePlatform() {
    static Win32Platform platform;
    return platform;
}
