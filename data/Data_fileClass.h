#pragma once
// The base of the two preference-file formats: validity, the pens, and the dated backup.

#include "data/typeDef.h"
#include "system/functions.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>

class TFileHandler {
public:
    // Stores the path, empties the pens and starts invalid; the concrete constructors read the file.
    explicit TFileHandler(const QString& fileName);
    virtual ~TFileHandler();
    TFileHandler(const TFileHandler&) = delete;
    TFileHandler& operator=(const TFileHandler&) = delete;

    virtual bool IsValid() const;
    // Writes the in-memory content to FileName. Raises on a failed write (the file is left as it was).
    virtual void Save() = 0;
    // Creates the path's folders as needed, then writes the content there. FileName is not changed.
    virtual void SaveAs(const QString& path) = 0;
    // Writes the content in its current state to a new dated file in AppFolder + "Backup". Never raises.
    virtual void CreateDatedBackup();
    // Reads FileName again.
    virtual void Reload() = 0;
    // Reads another file in place of the own one; FileName stays the own path.
    virtual void LoadFrom(const QString& path) = 0;
    // Takes the pens and writes their curve and threshold values into the in-memory content.
    virtual void StorePens(const APen& pens) = 0;
    virtual APen GetPens() const;

    const QString& GetFileName() const { return FileName; }

    // Where the dated backup reports its failure ("Unable to create backup: <path>").
    void SetMessenger(MessageFn show) { Messenger = std::move(show); }

    // The clock that names dated backups; tests replace it. nullptr restores the system clock.
    static void SetClock(std::function<QDateTime()> clock);

    // The path the next dated backup would take at `when`: "Pen_Tablet_mm-dd-yyyy_hh-nn-ss.bak" in the
    // backup folder, with "_2", "_3", ... appended when that name is taken.
    static QString DatedBackupPath(const QDateTime& when);

    // The largest preference file a handler loads; a bigger one counts as a file that cannot be loaded.
    // Real driver files are a few megabytes at most, so this only stops a runaway or hostile file.
    static constexpr qint64 MaxFileBytes = qint64(64) * 1024 * 1024;

protected:
    // True for an existing file that is not a folder.
    static bool FileExists(const QString& path);
    // The whole file, byte for byte. Raises std::runtime_error when it cannot be opened or read, or is larger
    // than MaxFileBytes.
    static QByteArray ReadBytes(const QString& path);

    QString FileName;
    bool Valid = false;
    APen Pens;
    MessageFn Messenger;
};

// DataFolder + "Backup": the folder of the backup point and the dated backups (beside the executable for a
// portable copy).
QString BackupFolder();
