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
