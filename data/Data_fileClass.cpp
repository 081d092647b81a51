#include "data/Data_fileClass.h"

#include "system/AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <stdexcept>

namespace {

std::function<QDateTime()>& Clock() {
    static std::function<QDateTime()> clock;
    return clock;
}

QDateTime Now() {
    const auto& clock = Clock();
    return clock ? clock() : QDateTime::currentDateTime();
}

// "Pen_Tablet_" + month-day-year + "_" + hour-minute-second: every part two digits except the year, the
// hour on the 24-hour clock. The C locale keeps the digits ASCII whatever the user's locale is.
QString DatedBackupBaseName(const QDateTime& when) {
    const QLocale c = QLocale::c();
    return QStringLiteral("Pen_Tablet_") + c.toString(when.date(), QStringLiteral("MM-dd-yyyy")) +
           QStringLiteral("_") + c.toString(when.time(), QStringLiteral("HH-mm-ss"));
}

// More backups than this within one second means something is badly wrong; the name search stops there
// rather than stat the folder without end.
constexpr int MaxBackupsPerSecond = 10000;

} // namespace

TFileHandler::TFileHandler(const QString& fileName) : FileName(fileName) {}

TFileHandler::~TFileHandler() = default;

bool TFileHandler::IsValid() const {
    return Valid;
}

APen TFileHandler::GetPens() const {
    return Pens;
}

void TFileHandler::SetClock(std::function<QDateTime()> clock) {
    Clock() = std::move(clock);
}

bool TFileHandler::FileExists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

QByteArray TFileHandler::ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("Cannot open " + path.toStdString() + ": " +
                                 file.errorString().toStdString());
    auto tooLarge = [&] {
        return std::runtime_error("Cannot load " + path.toStdString() + ": the file is too large");
    };
    const qint64 size = file.size();
    if (size > MaxFileBytes)
        throw tooLarge();
    // Sized by the file, grown only when the file grows under us (or reports no size, like a pipe), and
    // never beyond the limit: a file without end cannot exhaust memory.
    QByteArray bytes(static_cast<qsizetype>(size) + 1, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        if (total == bytes.size()) {
            if (total > MaxFileBytes)
                throw tooLarge();
            bytes.resize(
                static_cast<qsizetype>(std::min(std::max<qint64>(total * 2, 64 * 1024), MaxFileBytes + 1)));
        }
        const qint64 n = file.read(bytes.data() + total, bytes.size() - total);
        if (n < 0)
            throw std::runtime_error("Cannot read " + path.toStdString() + ": " +
                                     file.errorString().toStdString());
        if (n == 0)
            break;
        total += n;
    }
    if (total > MaxFileBytes)
        throw tooLarge();
    bytes.resize(static_cast<qsizetype>(total));
    return bytes;
}

QString BackupFolder() {
    return DataFolder() + QStringLiteral("Backup");
}

QString TFileHandler::DatedBackupPath(const QDateTime& when) {
    const QString stem = BackupFolder() + QChar(PathDelim) + DatedBackupBaseName(when);
    QString path = stem + QStringLiteral(".bak");
    // A backup never replaces an earlier one: two backups within one second get "_2", "_3", ...
    for (int n = 2; QFileInfo::exists(path) && n <= MaxBackupsPerSecond; ++n)
        path = stem + QStringLiteral("_") + QString::number(n) + QStringLiteral(".bak");
    return path;
}

void TFileHandler::CreateDatedBackup() {
    if (!Valid)
        return;
    // A folder that cannot be made (for instance a file named "Backup") means no backup and no message.
    if (!CreateFolders(BackupFolder()))
        return;
    QString path = DatedBackupPath(Now());
    try {
        if (QFileInfo::exists(path))
            throw WriteError("no free backup name");
        SaveAs(path);
    } catch (...) {
        if (Messenger)
            Messenger(QStringLiteral("Unable to create backup: ") + path);
    }
}
