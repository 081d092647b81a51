#include "data/BackupHistory.h"

#include "data/ConfigWorkflow.h"
#include "data/Data_fileClass.h"
#include "system/functions.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <exception>
#include <memory>

namespace {

const QString BackupPointName = QStringLiteral("FirstRunBackup.bak");
const QString DatedPrefix = QStringLiteral("Pen_Tablet_");
const QString BackupExtension = QStringLiteral(".bak");

// The number that `count` ASCII digits at `from` write; -1 when any of them is not a digit.
int Digits(const QString& text, qsizetype from, int count) {
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const char16_t c = text[from + i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + int(c - u'0');
    }
    return value;
}

// Reads "Pen_Tablet_MM-dd-yyyy_HH-mm-ss.bak" or "..._N.bak" into the entry's date, time and suffix. Every
// field must have exactly its digits and form a real date and time of day; the suffix has no leading zero.
bool ParseDatedName(const QString& name, BackupEntry& entry) {
    // "Pen_Tablet_" + "MM-dd-yyyy" + "_" + "HH-mm-ss" = 30 characters before the suffix and ".bak".
    constexpr qsizetype StampEnd = 30;
    if (name.size() < StampEnd + 4 || !name.startsWith(DatedPrefix) || !name.endsWith(BackupExtension))
        return false;
    const auto at = [&](qsizetype i, char16_t c) { return name[i].unicode() == c; };
    if (!at(13, u'-') || !at(16, u'-') || !at(21, u'_') || !at(24, u'-') || !at(27, u'-'))
        return false;
    const int month = Digits(name, 11, 2), day = Digits(name, 14, 2), year = Digits(name, 17, 4);
    const int hour = Digits(name, 22, 2), minute = Digits(name, 25, 2), second = Digits(name, 28, 2);
    if (month < 0 || day < 0 || year < 0 || hour < 0 || minute < 0 || second < 0)
        return false;
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid())
        return false;

    int suffix = 1;
    const qsizetype suffixEnd = name.size() - BackupExtension.size();
    if (suffixEnd != StampEnd) {
        const qsizetype digits = suffixEnd - StampEnd - 1;
        if (!at(StampEnd, u'_') || digits < 1 || digits > 9 || at(StampEnd + 1, u'0'))
            return false;
        suffix = Digits(name, StampEnd + 1, int(digits));
        if (suffix < 1)
            return false;
    }
    entry.Date = date;
    entry.Time = time;
    entry.Suffix = suffix;
    return true;
}

// The name alone decides whether a folder entry may be a backup.
bool ParseName(const QString& name, BackupEntry& entry) {
    if (name == BackupPointName) {
        entry.BackupPoint = true;
        return true;
    }
    return ParseDatedName(name, entry);
}

// The folder as the file system resolves it, worked out once per listing and only when a link needs it.
class FolderCheck {
public:
    explicit FolderCheck(const QString& folder) : Folder(folder) {}

    // Whether `info`, an entry of the folder, is a regular file inside it. A plain entry is (the listing
    // found it there); a link counts only when everything it leads to is a regular file of this same
    // folder, so that nothing outside is read or shown.
    bool IsFileInside(const QFileInfo& info) {
        if (!info.isSymLink())
            return info.isFile();
        if (Canonical.isNull())
            Canonical = QFileInfo(Folder).canonicalFilePath();
        const QString target = info.canonicalFilePath();
        if (Canonical.isEmpty() || target.isEmpty())
            return false;
        const QFileInfo resolved(target);
        return resolved.isFile() && resolved.absolutePath() == Canonical;
    }

private:
    QString Folder;
    QString Canonical;
};

// The entry for one folder entry; false when it is no backup file. The name is tested before anything is
// asked of the file, so the other files of the folder cost nothing.
bool MakeEntry(FolderCheck& check, const QFileInfo& info, BackupEntry& entry) {
    if (!ParseName(info.fileName(), entry) || !check.IsFileInside(info))
        return false;
    entry.Path = info.filePath();
    entry.Name = info.fileName();
    entry.Size = info.size();
    if (entry.BackupPoint) {
        const QDateTime changed = info.lastModified();
        entry.Date = changed.date();
        entry.Time = changed.time();
    }
    return true;
}

bool Newer(const BackupEntry& a, const BackupEntry& b) {
    if (a.BackupPoint != b.BackupPoint)
        return b.BackupPoint;
    if (a.Date != b.Date)
        return a.Date > b.Date;
    if (a.Time != b.Time)
        return a.Time > b.Time;
    if (a.Suffix != b.Suffix)
        return a.Suffix > b.Suffix;
    return a.Name < b.Name;
}

// The locale's long time format (which has the seconds) without its time-zone fields: the time in a backup's
// name is the wall-clock time it was written at, with no zone.
QString TimeFormatWithSeconds(const QLocale& locale) {
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't')
            continue;
        out += c;
    }
    return out.simplified();
}

} // namespace

std::vector<BackupEntry> ListBackups(const QString& folder) {
    std::vector<BackupEntry> entries;
    FolderCheck check(folder);
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        BackupEntry entry;
        if (MakeEntry(check, it.fileInfo(), entry))
            entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(), Newer);
    return entries;
}

std::optional<BackupEntry> FindBackup(const QString& folder, const QString& name) {
    if (name.contains(u'/') || name.contains(u'\\') || name.contains(u':'))
        return std::nullopt;
    FolderCheck check(folder);
    BackupEntry entry;
    if (!MakeEntry(check, QFileInfo(QDir(folder).filePath(name)), entry))
        return std::nullopt;
    return entry;
}

BackupContents ReadBackup(const QString& folder, const BackupEntry& entry) {
    BackupContents contents;
    // Asked afresh: the file may have changed, or been swapped for a link, since it was listed.
    const auto current = FindBackup(folder, entry.Name);
    if (!current || current->Size > TFileHandler::MaxFileBytes)
        return contents;
    try {
        const bool xml = IsXmlFile(current->Path);
        contents.Format = xml ? BackupFormat::Xml : BackupFormat::Text;
        const std::unique_ptr<TFileHandler> handler = MakeHandler(current->Path, xml);
        if (handler->IsValid()) {
            contents.Damaged = false;
            contents.Pens = handler->GetPens();
        }
    } catch (const std::exception&) {
        // Unreadable: damaged, and the format stays unknown when even the format test failed.
    }
    return contents;
}

bool DeleteBackup(const QString& folder, const BackupEntry& entry) {
    const auto current = FindBackup(folder, entry.Name);
    if (!current)
        return false;
    // QFile::remove takes a link away as a link; its target stays.
    return QFile::remove(current->Path);
}

QString BackupTimeText(const BackupEntry& entry, const QLocale& locale) {
    return locale.toString(entry.Date, QLocale::ShortFormat) + u' ' +
           locale.toString(entry.Time, TimeFormatWithSeconds(locale));
}

QString BackupFormatText(BackupFormat format) {
    switch (format) {
    case BackupFormat::Xml:
        return QStringLiteral("XML");
    case BackupFormat::Text:
        return QStringLiteral("text");
    case BackupFormat::Unknown:
        break;
    }
    return QString();
}
