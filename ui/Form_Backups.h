#pragma once
// The "Earlier Backups" dialog: every backup in the Backup folder, newest first, with its date and time,
// format, number of pens and whether it is damaged. The selected backup's curve of the pen chosen in the
// main window is drawn beside the curve in use, both small and with their numbers. "Restore" hands the
// backup to the main window's restore, "Delete" removes the selected backup files after asking, "Close"
// closes.
//
// The list is filled from names and sizes alone; what each backup holds is read on a worker thread, one file
// after another, and shown as it arrives, so a folder of a thousand large backups opens at once.

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
    using RestoreFn = std::function<bool(const QString& backupPath)>;

    TFormBackups(IPrompter& prompter, RestoreFn restore, QWidget* parent = nullptr);
    ~TFormBackups() override;

    // Lists the backups of `folder` and shows the curve of pen `selectedPen` of `pens` (the main window's
    // pens) as the one in use. Called before each showing.
    void Open(const QString& folder, const APen& pens, int selectedPen);

    // The rows as shown, top to bottom.
    const std::vector<BackupEntry>& Entries() const;
    // Selects exactly these rows; the first becomes the current row, whose curve is drawn.
    void SelectRows(const std::vector<int>& rows);
    // Blocks until every row's contents have been read (or `timeoutMs` passed); for tests and benchmarks.
    bool WaitForContents(int timeoutMs);
    // Stops reading the rows' contents; returns when the worker has let go of the folder.
    void StopReading();

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
    TBackupListModel* Model = nullptr;
    QString Folder;
    APen Pens;
    int SelectedPen = -1;
    // What the current row holds, read when it became current, and its file name.
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
};
