#include "system/AtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace {
WriteFaultHook g_hook;
}

void SetWriteFaultHook(WriteFaultHook hook) {
    g_hook = std::move(hook);
}

bool CreateFolders(const QString& folder) {
    if (folder.isEmpty())
        return false;
    QFileInfo info(folder);
    if (info.isDir())
        return true;
    if (info.exists())
        return false;
    return QDir().mkpath(folder);
}

void WriteFileAtomic(const QString& path, const QByteArray& bytes) {
    QFileInfo target(path);
    if (target.isDir())
        throw WriteError("Cannot write to " + path.toStdString() + ": it is a folder");
    QSaveFile file(path);
    // Never fall back to writing the target in place: a failure must leave the old bytes intact.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        throw WriteError("Cannot create " + path.toStdString() + ": " + file.errorString().toStdString());
    qint64 toWrite = bytes.size();
    if (g_hook)
        toWrite = g_hook(path, bytes);
    const qint64 written = file.write(bytes.constData(), toWrite);
    if (written != bytes.size()) {
        file.cancelWriting();
        throw WriteError("Cannot write " + path.toStdString() + ": the disk may be full");
    }
    // Small writes sit in the device's buffer; a failure to flush it is not seen by commit(), which would
    // then rename a truncated file over the target. Flush explicitly and check.
    if (!file.flush()) {
        file.cancelWriting();
        throw WriteError("Cannot write " + path.toStdString() + ": " + file.errorString().toStdString());
    }
    if (!file.commit())
        throw WriteError("Cannot write " + path.toStdString() + ": " + file.errorString().toStdString());
}
