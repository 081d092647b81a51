#pragma once
// The backups in the Backup folder: the dated backups that every write leaves ("Pen_Tablet_MM-dd-yyyy_
// HH-mm-ss.bak", with "_N" appended for a second one within the same second) and the backup point
// "FirstRunBackup.bak". Listing reads only names and sizes, so that a folder of a thousand large backups
// lists at once; what a backup holds (its format, its pens, whether it reads at all) is read one file at a
// time, on demand.
//
// The folder is not trusted: other files, folders named like backups, names with impossible dates and
// links that lead out of the folder are skipped, and nothing outside the folder is ever read or deleted.

#include "data/typeDef.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTime>

#include <optional>
#include <vector>

// One backup file as the listing finds it: its name, the time its name gives, and its size.
struct BackupEntry {
    QString Path;             // the file in the backup folder (a link stays a link; see ListBackups)
    QString Name;             // the file name alone
    bool BackupPoint = false; // "FirstRunBackup.bak"
    QDate Date;               // from the name; for the backup point, the file's last change
    QTime Time;
    int Suffix = 1;  // the "_N" of a second backup within one second; 1 without one
    qint64 Size = 0; // bytes
};

enum class BackupFormat { Unknown, Xml, Text };

// What a backup holds, as reading it tells.
struct BackupContents {
    bool Damaged = true; // does not read as a preference file: unreadable, too large or without valid pens
    BackupFormat Format = BackupFormat::Unknown; // by the format test, when the file could be read
    APen Pens;                                   // the pens of a file that reads; empty when damaged
};

// The backups of `folder`, newest dated backup first (by the time in the name, then by the suffix), the
// backup point last. Reads the folder's entries with their sizes and nothing of the files themselves. A
// missing or unreadable folder lists nothing.
std::vector<BackupEntry> ListBackups(const QString& folder);

// Reads one listed backup. Never raises: anything that keeps the file from reading as a preference file
// (it is gone, unreadable, over the handlers' size limit, no longer a file inside the folder) makes it
// damaged.
BackupContents ReadBackup(const QString& folder, const BackupEntry& entry);

// Removes one listed backup when it is still a backup file of `folder`: a name the listing accepts, a file
// (a link is removed as a link, never its target) that lies inside the folder. Returns whether it is gone.
bool DeleteBackup(const QString& folder, const BackupEntry& entry);

// The backup file named `name` in `folder` when that name is one the listing accepts and the file is
// listed; otherwise nothing.
std::optional<BackupEntry> FindBackup(const QString& folder, const QString& name);

// The date and time of a backup in the locale's short date and its time with seconds.
QString BackupTimeText(const BackupEntry& entry, const QLocale& locale = QLocale());

// "XML" or "text" ("" when unknown).
QString BackupFormatText(BackupFormat format);
