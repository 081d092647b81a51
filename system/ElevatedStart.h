#pragma once
// What the Windows build hands to the shell to start a program elevated. The fields are worked out here,
// free of Windows headers, so that they can be checked on any platform; Platform_win32.cpp copies them into
// the shell's structure (whose remaining members stay zero) and makes the call.

#include <string>

// The shell's flag values, checked against the Windows headers when Platform_win32.cpp is compiled.
inline constexpr unsigned long SeeMaskNoAsync = 0x100;  // the call finishes its work before it returns
inline constexpr unsigned long SeeMaskFlagNoUi = 0x400; // the shell shows no error dialog of its own
inline constexpr int SwShow = 5;

struct ElevatedStartFields {
    unsigned long fMask = 0;
    const char* lpVerb = nullptr;
    const char* lpFile = nullptr;
    const char* lpParameters = nullptr;
    const char* lpDirectory = nullptr; // no working folder
    void* hwnd = nullptr;              // no owner window
    int nShow = 0;
};

// The fields for starting `file` with `parameters` through the "runas" verb in a visible window, without
// a process handle. The texts point into the arguments, which must outlive the result.
ElevatedStartFields MakeElevatedStartFields(const std::string& file, const std::string& parameters);
