#include "support/Portable.h"

#include "system/Platform.h"

#include <QFile>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <unistd.h>
#endif

bool RunningAsSuperuser() {
#ifdef _WIN32
    return false;
#else
    return ::geteuid() == 0;
#endif
}

QString ThisProgram() {
    return QString::fromStdString(NativePlatform().ExecutablePath());
}

HeldOpenFile::HeldOpenFile(const QString& path, Sharing sharing) {
#ifdef _WIN32
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | (sharing == Replacing ? FILE_SHARE_DELETE : 0);
    const HANDLE h = ::CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), GENERIC_READ, share, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE)
        Handle = h;
#else
    (void)sharing;
    File.setFileName(path);
    File.open(QIODevice::ReadOnly);
#endif
}

HeldOpenFile::~HeldOpenFile() {
#ifdef _WIN32
    if (Handle)
        ::CloseHandle(static_cast<HANDLE>(Handle));
#endif
}

bool HeldOpenFile::IsOpen() const {
#ifdef _WIN32
    return Handle != nullptr;
#else
    return File.isOpen();
#endif
}

QByteArray HeldOpenFile::ReadAll() {
#ifdef _WIN32
    QByteArray out;
    if (!Handle)
        return out;
    ::SetFilePointer(static_cast<HANDLE>(Handle), 0, nullptr, FILE_BEGIN);
    char buffer[4096];
    DWORD n = 0;
    while (::ReadFile(static_cast<HANDLE>(Handle), buffer, sizeof buffer, &n, nullptr) && n > 0)
        out.append(buffer, qsizetype(n));
    return out;
#else
    File.seek(0);
    return File.readAll();
#endif
}

UnreadableFile::UnreadableFile(const QString& path) : Path(path) {
#ifdef _WIN32
    const HANDLE h = ::CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), GENERIC_READ, 0, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE)
        Handle = h;
#else
    QFile::setPermissions(path, QFileDevice::Permissions());
#endif
    QFile probe(path);
    IsEffective = !probe.open(QIODevice::ReadOnly);
}

UnreadableFile::~UnreadableFile() {
#ifdef _WIN32
    if (Handle)
        ::CloseHandle(static_cast<HANDLE>(Handle));
#else
    QFile::setPermissions(Path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
#endif
}
