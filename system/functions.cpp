#include "system/functions.h"

#include "system/Platform.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <stdexcept>

QString AppFolder() {
    const QString exe = QString::fromStdString(Platform().ExecutablePath());
#ifdef _WIN32
    const qsizetype cut = std::max(exe.lastIndexOf('\\'), exe.lastIndexOf(':'));
#else
    const qsizetype cut = exe.lastIndexOf('/');
#endif
    return exe.left(cut + 1);
}

QString FileNamePart(const QString& path) {
#ifdef _WIN32
    const qsizetype cut = std::max(path.lastIndexOf('\\'), path.lastIndexOf(':'));
#else
    const qsizetype cut = path.lastIndexOf('/');
#endif
    return path.mid(cut + 1);
}

bool IsXmlFile(const QString& path) {
    QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("Cannot open " + path.toStdString() + ": " + file.errorString().toStdString());
    char head[5];
    const qint64 n = file.read(head, sizeof head);
    if (n < 0)
        throw std::runtime_error("Cannot read " + path.toStdString() + ": " + file.errorString().toStdString());
    static const char pattern[5] = {'<', '?', 'X', 'M', 'L'};
    if (n < 5)
        return false;
    for (int i = 0; i < 5; ++i) {
        char c = head[i];
        if (c == '\r' || c == '\n')
            return false;
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != pattern[i])
            return false;
    }
    return true;
}
