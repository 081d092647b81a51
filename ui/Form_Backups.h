#pragma once
// The "Earlier Backups" dialog: every backup in the Backup folder, newest first, with its date and time,
// format, number of pens and whether it is damaged. The selected backup's curve of the pen chosen in the
// main window is drawn beside the curve in use, both small and with their numbers. "Restore" hands the
// backup to the main window's restore (not offered for a damaged backup or one of the other format than the
// file in use), "Delete" removes the selected backup files after asking (never the backup point, the first
// copy ever taken of the file), "Close" closes.
//
// The list is filled from names and sizes alone; what each backup holds is read on worker threads, the rows
// one file after another and the selected row at once, and shown as it arrives, so a folder of a thousand
// large backups opens at once and no read ever holds up the dialog: closing it leaves a read under way to
// finish on its own.

#include "data/BackupHistory.h"
#include "data/typeDef.h"

#include <QDialog>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class IPrompter;
class QLabel;
class QModelIndex;
class QPushButton;
class QTreeView;
class TBackupListModel;

class TFormBackups : public QDialog {
    Q_OBJECT
public:
    // Restores the backup file at the path through the main window; true when the file was replaced.
    // `stillListed` tells, right before the file is read, whether it is still the backup file the row shows.
    using RestoreFn =
        std::function<bool(const QString& backupPath, const std::function<bool()>& stillListed)>;
    // Reads what one backup holds; ReadBackup unless a test puts another in.
    using ReadFn = std::function<BackupContents(const QString& folder, const BackupEntry& entry)>;

    TFormBackups(IPrompter& prompter, RestoreFn restore, QWidget* parent = nullptr);
    ~TFormBackups() override;

    // Lists the backups of `folder` and shows the curve of pen `selectedPen` of `pens` (the main window's
    // pens) as the one in use, whose file is of the format `inUse` (Unknown restricts nothing). Called
    // before each showing.
    void Open(const QString& folder, const APen& pens, int selectedPen,
              BackupFormat inUse = BackupFormat::Unknown);

    // The rows as shown, top to bottom.
    const std::vector<BackupEntry>& Entries() const;
    // Selects exactly these rows; the first becomes the current row, whose curve is drawn.
    void SelectRows(const std::vector<int>& rows);
    // Blocks until every row's contents and the selected row's have been read and shown (or `timeoutMs`
    // passed); for tests and benchmarks.
    bool WaitForContents(int timeoutMs);
    // Stops reading the rows' contents; returns when the workers have let go of the folder.
    void StopReading();
    void SetReader(ReadFn read) { Read = std::move(read); }

    QTreeView* List = nullptr;
    QLabel* ImCurrent = nullptr;
    QLabel* LabelCurrent = nullptr;
    QLabel* ImBackup = nullptr;
    QLabel* LabelBackup = nullptr;
    QPushButton* BtRestore = nullptr;
    QPushButton* BtDelete = nullptr;
    QPushButton* BtClose = nullptr;

    // The side of the two small graphs, in pixels.
    static constexpr int PreviewSide = 200;

public slots:
    void BtRestoreClick();
    void BtDeleteClick();

private:
    void Refresh();
    void StartReading();
    // Tells the workers to drop what they still have to read and deliver; does not wait for them.
    void CancelReading();
    // Reads the selected row on the selection's worker; CurrentRead takes the result on the dialog's thread.
    void ReadCurrent(int row);
    void CurrentRead(quint64 request, const BackupContents& contents);
    void UpdateButtons();
    // The row CurrentName is at, -1 for none.
    int CurrentRow() const;
    void done(int result) override;
    bool event(QEvent* event) override;
    void SelectionChanged();
    void ShowCurrentPen();
    void ShowBackupPen(const BackupEntry* entry);
    // Shows `pen`'s small graph (the empty grid without one) in `label`, at PreviewRatio.
    void ShowPreview(QLabel* label, const Pen* pen);
    // Draws both small graphs at the density of the screen the dialog is on.
    void DrawPreviews();
    std::vector<int> SelectedRows() const;

    IPrompter& Prompter;
    RestoreFn Restore;
    ReadFn Read = ReadBackup;
    TBackupListModel* Model = nullptr;
    QString Folder;
    APen Pens;
    int SelectedPen = -1;
    BackupFormat InUse = BackupFormat::Unknown;
    // What the current row holds, read when it became current, and its file name; Current stays empty
    // while the read is under way.
    std::optional<BackupContents> Current;
    QString CurrentName;
    // The backup's pen the right-hand graph shows, if any, and the device pixel ratio both graphs were drawn
    // at: a move to a screen of another density draws them again.
    std::optional<Pen> BackupPen;
    double PreviewRatio = 1.0;

    // The worker that reads the rows' contents; a new listing cancels the old reading and ignores whatever
    // it still delivers.
    QThreadPool Reader;
    std::shared_ptr<std::atomic<bool>> Cancel;
    quint64 Generation = 0;
    // The worker that reads the selected row. Only the latest request is read and taken; an older one
    // still queued is skipped.
    QThreadPool Picker;
    std::shared_ptr<std::atomic<quint64>> LatestPick = std::make_shared<std::atomic<quint64>>(0);
    quint64 PickRequest = 0;
};
