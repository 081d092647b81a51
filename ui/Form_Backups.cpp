#include "ui/Form_Backups.h"

#include "data/FileText.h"
#include "graph/PenPreview.h"
#include "ui/Prompter.h"

#include <QAbstractTableModel>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSet>
#include <QTreeView>
#include <QVBoxLayout>

// What the list shows of a backup's contents once it has been read.
struct BackupSummary {
    bool Damaged = true;
    BackupFormat Format = BackupFormat::Unknown;
    int PenCount = 0;
};

namespace {

BackupSummary Summarize(const BackupContents& contents) {
    return {contents.Damaged, contents.Format, int(contents.Pens.size())};
}

// The numbers a preview shows under its graph: the curve in file order (each point's y before its x) and the
// two thresholds.
QString PenNumbers(const Pen& pen) {
    return QStringLiteral("Curve: %1\nUpper: %2   Lower: %3")
        .arg(QString::fromStdString(CurveText(pen)))
        .arg(pen.UpperThreshold)
        .arg(pen.LowerThreshold);
}

// Why a backup that reads cannot be put back over the file in use: its format is the other one. Short, so
// that the row shows it whole.
QString FormatMismatch(BackupFormat backup, BackupFormat inUse) {
    if (inUse == BackupFormat::Unknown || backup == BackupFormat::Unknown || backup == inUse)
        return QString();
    return QStringLiteral("other format: %1 in use").arg(BackupFormatText(inUse));
}

// A second backup within the same second is told apart by its number.
QString RowTimeText(const BackupEntry& entry) {
    return entry.Suffix > 1 ? BackupTimeText(entry) + QStringLiteral(" (%1)").arg(entry.Suffix)
                            : BackupTimeText(entry);
}

} // namespace

// The rows of the list: the backups as listed, and what the reading has found out about each so far.
class TBackupListModel : public QAbstractTableModel {
public:
    enum Column { ColDate, ColFormat, ColPens, ColState, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    void SetEntries(std::vector<BackupEntry> entries) {
        beginResetModel();
        Rows = std::move(entries);
        Summaries.assign(Rows.size(), std::nullopt);
        endResetModel();
    }
    const std::vector<BackupEntry>& Entries() const { return Rows; }
    void SetFormatInUse(BackupFormat format) { InUse = format; }

    void SetSummary(int row, const BackupSummary& summary) {
        if (row < 0 || size_t(row) >= Rows.size())
            return;
        Summaries[size_t(row)] = summary;
        emit dataChanged(index(row, ColFormat), index(row, ColState));
    }
    bool AllRead() const {
        return std::all_of(Summaries.begin(), Summaries.end(), [](const auto& s) { return s.has_value(); });
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : int(Rows.size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : ColumnCount;
    }

    QVariant data(const QModelIndex& at, int role) const override {
        if (!at.isValid() || size_t(at.row()) >= Rows.size())
            return {};
        const BackupEntry& entry = Rows[size_t(at.row())];
        if (role == Qt::ToolTipRole)
            return QStringLiteral("%1 (%2 bytes)").arg(entry.Name).arg(entry.Size);
        if (role != Qt::DisplayRole)
            return {};
        const auto& summary = Summaries[size_t(at.row())];
        switch (at.column()) {
        case ColDate:
            return RowTimeText(entry);
        case ColFormat:
            return summary ? BackupFormatText(summary->Format) : QString();
        case ColPens:
            return summary && !summary->Damaged ? QString::number(summary->PenCount) : QString();
        case ColState: {
            QStringList notes;
            if (entry.BackupPoint)
                notes << QStringLiteral("backup point");
            if (summary && summary->Damaged)
                notes << QStringLiteral("damaged");
            else if (summary && !FormatMismatch(summary->Format, InUse).isEmpty())
                notes << FormatMismatch(summary->Format, InUse);
            return notes.join(QStringLiteral(", "));
        }
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        static const char* const Titles[ColumnCount] = {"Date", "Format", "Pens", "State"};
        return section >= 0 && section < ColumnCount ? QString::fromLatin1(Titles[section]) : QString();
    }

private:
    std::vector<BackupEntry> Rows;
    std::vector<std::optional<BackupSummary>> Summaries;
    BackupFormat InUse = BackupFormat::Unknown;
};

TFormBackups::TFormBackups(IPrompter& prompter, RestoreFn restore, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      Prompter(prompter), Restore(std::move(restore)) {
    setObjectName(QStringLiteral("FormBackups"));
    setWindowTitle(QStringLiteral("Earlier Backups"));
    Reader.setMaxThreadCount(1);
    Picker.setMaxThreadCount(1);

    Model = new TBackupListModel(this);
    List = new QTreeView(this);
    List->setObjectName(QStringLiteral("ListBackups"));
    List->setModel(Model);
    List->setRootIsDecorated(false);
    List->setUniformRowHeights(true); // a thousand rows are laid out without measuring each
    List->setSelectionMode(QAbstractItemView::ExtendedSelection);
    List->setSelectionBehavior(QAbstractItemView::SelectRows);
    List->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List->header()->setStretchLastSection(true);
    List->header()->setSectionsMovable(false);
    List->setColumnWidth(TBackupListModel::ColDate, 175);
    List->setColumnWidth(TBackupListModel::ColFormat, 55);
    List->setColumnWidth(TBackupListModel::ColPens, 45);
    List->setMinimumWidth(360);
    connect(List->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TFormBackups::SelectionChanged);
    connect(List->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TFormBackups::SelectionChanged);

    auto preview = [this](const char* image, const char* numbers, const QString& caption, QLabel*& im,
                          QLabel*& text) {
        auto* box = new QVBoxLayout;
        box->addWidget(new QLabel(caption, this));
        im = new QLabel(this);
        im->setObjectName(QString::fromLatin1(image));
        im->setFixedSize(PreviewSide, PreviewSide);
        box->addWidget(im);
        text = new QLabel(this);
        text->setObjectName(QString::fromLatin1(numbers));
        text->setFixedWidth(PreviewSide);
        text->setWordWrap(true);
        text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        text->setMinimumHeight(3 * text->fontMetrics().lineSpacing());
        box->addWidget(text);
        box->addStretch();
        return box;
    };
    auto* previews = new QHBoxLayout;
    previews->addLayout(
        preview("ImCurrent", "LabelCurrent", QStringLiteral("In use"), ImCurrent, LabelCurrent));
    previews->addLayout(preview("ImBackup", "LabelBackup", QStringLiteral("Backup"), ImBackup, LabelBackup));

    auto button = [this](const char* name, const char* caption) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    BtRestore = button("BtRestore", "Restore");
    BtDelete = button("BtDelete", "Delete");
    BtClose = button("BtClose", "Close");
    connect(BtRestore, &QPushButton::clicked, this, &TFormBackups::BtRestoreClick);
    connect(BtDelete, &QPushButton::clicked, this, &TFormBackups::BtDeleteClick);
    connect(BtClose, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtRestore);
    buttons->addWidget(BtDelete);
    buttons->addWidget(BtClose);

    auto* top = new QHBoxLayout;
    top->addWidget(List, 1);
    top->addLayout(previews);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
    resize(860, 420);
}

TFormBackups::~TFormBackups() {
    StopReading();
}

// Closed: what is still unread is of no use to anyone. A read under way finishes on its worker, and what it
// delivers is dropped.
void TFormBackups::done(int result) {
    CancelReading();
    QDialog::done(result);
}

void TFormBackups::Open(const QString& folder, const APen& pens, int selectedPen, BackupFormat inUse) {
    Folder = folder;
    Pens = pens;
    SelectedPen = selectedPen;
    InUse = inUse;
    Model->SetFormatInUse(inUse);
    PreviewRatio = devicePixelRatioF();
    List->clearSelection();
    Refresh();
    ShowCurrentPen();
}

const std::vector<BackupEntry>& TFormBackups::Entries() const {
    return Model->Entries();
}

void TFormBackups::Refresh() {
    QSet<QString> keep;
    for (int row : SelectedRows())
        keep.insert(Model->Entries()[size_t(row)].Name);
    Model->SetEntries(ListBackups(Folder));
    CurrentName.clear();
    Current.reset();
    StartReading();
    std::vector<int> rows;
    for (size_t row = 0; row < Model->Entries().size(); ++row)
        if (keep.contains(Model->Entries()[row].Name))
            rows.push_back(int(row));
    SelectRows(rows);
}

void TFormBackups::SelectRows(const std::vector<int>& rows) {
    QItemSelection selection;
    for (int row : rows)
        selection.select(Model->index(row, 0), Model->index(row, TBackupListModel::ColumnCount - 1));
    QItemSelectionModel* model = List->selectionModel();
    model->select(selection, QItemSelectionModel::ClearAndSelect);
    model->setCurrentIndex(rows.empty() ? QModelIndex() : Model->index(rows.front(), 0),
                           QItemSelectionModel::NoUpdate);
    SelectionChanged();
}

std::vector<int> TFormBackups::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : List->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TFormBackups::StartReading() {
    if (Cancel)
        Cancel->store(true);
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    Cancel = cancel;
    const quint64 generation = ++Generation;
    Reader.start([this, cancel, generation, entries = Model->Entries(), folder = Folder, read = Read] {
        for (size_t row = 0; row < entries.size() && !cancel->load(); ++row) {
            const BackupSummary summary = Summarize(read(folder, entries[row]));
            // Handed to the dialog's thread; results of an older listing are dropped there.
            QMetaObject::invokeMethod(
                this,
                [this, generation, row, summary] {
                    if (generation == Generation)
                        Model->SetSummary(int(row), summary);
                },
                Qt::QueuedConnection);
        }
    });
}

void TFormBackups::CancelReading() {
    if (Cancel)
        Cancel->store(true);
    LatestPick->store(++PickRequest);
    CurrentName.clear();
    Current.reset();
}

void TFormBackups::StopReading() {
    CancelReading();
    Reader.waitForDone();
    Picker.waitForDone();
}

bool TFormBackups::WaitForContents(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!Model->AllRead() || (!CurrentName.isEmpty() && !Current)) {
        if (deadline.hasExpired())
            return false;
        Reader.waitForDone(5);
        Picker.waitForDone(5);
        QCoreApplication::sendPostedEvents(this);
    }
    return true;
}

int TFormBackups::CurrentRow() const {
    if (CurrentName.isEmpty())
        return -1;
    const std::vector<BackupEntry>& rows = Model->Entries();
    for (size_t row = 0; row < rows.size(); ++row)
        if (rows[row].Name == CurrentName)
            return int(row);
    return -1;
}

void TFormBackups::ReadCurrent(int row) {
    const quint64 request = ++PickRequest;
    LatestPick->store(request);
    Picker.start([this, latest = LatestPick, request, folder = Folder, entry = Model->Entries()[size_t(row)],
                  read = Read] {
        if (latest->load() != request)
            return; // another row was selected, or the dialog closed, before this one came up
        BackupContents contents = read(folder, entry);
        QMetaObject::invokeMethod(
            this, [this, request, contents = std::move(contents)] { CurrentRead(request, contents); },
            Qt::QueuedConnection);
    });
}

void TFormBackups::CurrentRead(quint64 request, const BackupContents& contents) {
    const int row = CurrentRow();
    if (request != PickRequest || row < 0)
        return;
    Current = contents;
    Model->SetSummary(row, Summarize(contents));
    ShowBackupPen(&Model->Entries()[size_t(row)]);
    UpdateButtons();
}

void TFormBackups::SelectionChanged() {
    const std::vector<int> rows = SelectedRows();
    int current = List->selectionModel()->currentIndex().row();
    if (std::find(rows.begin(), rows.end(), current) == rows.end())
        current = rows.empty() ? -1 : rows.front();

    const BackupEntry* entry = current >= 0 ? &Model->Entries()[size_t(current)] : nullptr;
    // A click changes the selection and the current row at once; the file is read once for both.
    const QString name = entry ? entry->Name : QString();
    if (name != CurrentName) {
        CurrentName = name;
        Current.reset();
        ShowBackupPen(entry);
        if (entry)
            ReadCurrent(current);
    }
    UpdateButtons();
}

void TFormBackups::UpdateButtons() {
    const std::vector<int> rows = SelectedRows();
    BtRestore->setEnabled(rows.size() == 1 && Current && !Current->Damaged &&
                          FormatMismatch(Current->Format, InUse).isEmpty());
    // Deleting the backup point would lose the first copy ever taken of the file, and the next load would
    // take a new one from whatever file is there then.
    const bool backupPoint = std::any_of(rows.begin(), rows.end(),
                                         [&](int row) { return Model->Entries()[size_t(row)].BackupPoint; });
    BtDelete->setEnabled(!rows.empty() && !backupPoint);
}

void TFormBackups::ShowCurrentPen() {
    const Pen* pen =
        SelectedPen >= 0 && size_t(SelectedPen) < Pens.size() ? &Pens[size_t(SelectedPen)] : nullptr;
    ShowPreview(ImCurrent, pen);
    LabelCurrent->setText(pen ? FileText(pen->ButtonName) + u'\n' + PenNumbers(*pen) : QString());
}

void TFormBackups::ShowPreview(QLabel* label, const Pen* pen) {
    label->setPixmap(QPixmap::fromImage(DrawPenPreview(pen, PreviewSide, PreviewRatio)));
}

void TFormBackups::DrawPreviews() {
    PreviewRatio = devicePixelRatioF();
    ShowCurrentPen();
    ShowPreview(ImBackup, BackupPen ? &*BackupPen : nullptr);
}

bool TFormBackups::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::ScreenChangeInternal:
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
    case QEvent::DevicePixelRatioChange:
#endif
        if (devicePixelRatioF() != PreviewRatio)
            DrawPreviews();
        break;
    default:
        break;
    }
    return QDialog::event(event);
}

// The backup's pen at the same position as the pen in use and of the same name.
void TFormBackups::ShowBackupPen(const BackupEntry* entry) {
    const Pen* pen = nullptr;
    QString text;
    if (!entry) {
        text = QStringLiteral("Select a backup.");
    } else if (!Current) {
        text = QStringLiteral("Reading...");
    } else if (Current->Damaged) {
        text = QStringLiteral("This backup is damaged.");
    } else if (SelectedPen >= 0 && size_t(SelectedPen) < Pens.size()) {
        const Pen& inUse = Pens[size_t(SelectedPen)];
        if (size_t(SelectedPen) < Current->Pens.size() &&
            Current->Pens[size_t(SelectedPen)].ButtonName == inUse.ButtonName) {
            pen = &Current->Pens[size_t(SelectedPen)];
            text = RowTimeText(*entry) + u'\n' + PenNumbers(*pen);
        } else {
            text = QStringLiteral("No pen \"%1\" at this place.").arg(FileText(inUse.ButtonName));
        }
    }
    BackupPen = pen ? std::optional<Pen>(*pen) : std::nullopt;
    ShowPreview(ImBackup, pen);
    LabelBackup->setText(text);
}

void TFormBackups::BtRestoreClick() {
    if (!BtRestore->isEnabled())
        return;
    const BackupEntry entry = Model->Entries()[size_t(SelectedRows().front())];
    // Asked again right before the file is read, after the question: the folder may have changed since it
    // was listed, and a name now taken by a link leading out, a pipe or a device is not read.
    const auto stillListed = [folder = Folder, name = entry.Name] {
        return FindBackup(folder, name).has_value();
    };
    if (Restore && Restore(entry.Path, stillListed)) {
        accept();
        return;
    }
    // Declined or refused: the listing may have gained the dated backup of a restore that failed later.
    Refresh();
}

void TFormBackups::BtDeleteClick() {
    if (!BtDelete->isEnabled())
        return;
    const std::vector<int> rows = SelectedRows();
    const QString text =
        rows.size() == 1 ? QStringLiteral("Delete the backup %1?").arg(Model->Entries()[size_t(rows[0])].Name)
                         : QStringLiteral("Delete the %1 selected backups?").arg(rows.size());
    if (Prompter.Question(QStringLiteral("Delete backups"), text, MB_YESNO | MB_ICONWARNING) != IDYES)
        return;
    QStringList failed;
    for (int row : rows) {
        const BackupEntry& entry = Model->Entries()[size_t(row)];
        if (!DeleteBackup(Folder, entry))
            failed << entry.Name;
    }
    Refresh();
    if (!failed.isEmpty())
        Prompter.Message(QStringLiteral("Unable to delete backup: ") + failed.join(QStringLiteral(", ")));
}
