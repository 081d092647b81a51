#include "support/ReadOnlyFolder.h"

#include <QFile>

#ifndef _WIN32
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef _WIN32
// Windows ignores the read-only attribute of a folder, and what its access lists deny an administrator
// (or anyone under wine, which does not apply them) may still be granted: the guard only reports whether
// a file can be created there.
ReadOnlyFolder::ReadOnlyFolder(const QString& folder) : Folder(folder) {
    QFile probe(Folder + "/.probe");
    IsEffective = !probe.open(QIODevice::WriteOnly);
    if (!IsEffective) {
        probe.close();
        probe.remove();
    }
}

ReadOnlyFolder::~ReadOnlyFolder() = default;

void ReadOnlyFolder::SetImmutable(bool) {}
#else
ReadOnlyFolder::ReadOnlyFolder(const QString& folder) : Folder(folder) {
    ::chmod(QFile::encodeName(Folder).constData(), 0555);
    if (::geteuid() == 0)
        SetImmutable(true);
    const QByteArray probe = QFile::encodeName(Folder + "/.probe");
    const int fd = ::open(probe.constData(), O_CREAT | O_WRONLY, 0644);
    IsEffective = fd < 0;
    if (fd >= 0) {
        ::close(fd);
        ::unlink(probe.constData());
    }
}

ReadOnlyFolder::~ReadOnlyFolder() {
    if (Immutable)
        SetImmutable(false);
    ::chmod(QFile::encodeName(Folder).constData(), 0755);
}

void ReadOnlyFolder::SetImmutable(bool on) {
    const int fd = ::open(QFile::encodeName(Folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return;
    int flags = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        if (::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0)
            Immutable = on;
    }
    ::close(fd);
}
#endif
