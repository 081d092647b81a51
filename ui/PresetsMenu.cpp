#include "ui/PresetsMenu.h"

#include "system/AtomicFile.h"
#include "ui/Prompter.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace {

constexpr int PictureSide = 20;

// The curve in a small square: output to the right, force upwards, as on the graph.
QIcon CurvePicture(const TCurvePreset& preset, double ratio) {
    QPixmap pixmap(QSize(PictureSide, PictureSide) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0xA0, 0xA0, 0xA0), 1));
    painter.drawRect(QRectF(0.5, 0.5, PictureSide - 1, PictureSide - 1));
    const double R = preset.Resolution > 0 ? preset.Resolution : 1;
    const double span = PictureSide - 4;
    auto at = [&](int32_t force, int32_t output) {
        return QPointF(2 + output / R * span, PictureSide - 2 - force / R * span);
    };
    QPainterPath path(at(preset.Curve[0], preset.Curve[1]));
    path.quadTo(at(preset.Curve[2], preset.Curve[3]), at(preset.Curve[4], preset.Curve[5]));
    painter.setPen(QPen(Qt::red, 1.5));
    painter.drawPath(path);
    return QIcon(pixmap);
}

} // namespace

// ---- the name ----

TFormPresetName::TFormPresetName(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint) {
    setObjectName(QStringLiteral("FormPresetName"));
    NameEdit = new QLineEdit(this);
    NameEdit->setObjectName(QStringLiteral("NameEdit"));
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    // A preset needs a name.
    connect(NameEdit, &QLineEdit::textChanged, this,
            [this](const QString& text) { OKButton->setEnabled(!text.trimmed().isEmpty()); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(NameEdit);
    layout->addLayout(buttons);
    resize(300, sizeHint().height());
}

void TFormPresetName::Ask(const QString& caption, const QString& name) {
    setWindowTitle(caption);
    NameEdit->setText(name);
    OKButton->setEnabled(!name.trimmed().isEmpty());
    NameEdit->selectAll();
    NameEdit->setFocus();
}

QString TFormPresetName::Name() const {
    return NameEdit->text().trimmed();
}

// ---- managing the saved presets ----

TFormManagePresets::TFormManagePresets(IPrompter& prompter, TCurvePresets& store, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      Prompter(prompter), Store(store) {
    setObjectName(QStringLiteral("FormManagePresets"));
    setWindowTitle(QStringLiteral("Manage Presets"));
    List = new QListWidget(this);
    List->setObjectName(QStringLiteral("List"));
    RenameButton = new QPushButton(QStringLiteral("&Rename..."), this);
    RenameButton->setObjectName(QStringLiteral("RenameButton"));
    DeleteButton = new QPushButton(QStringLiteral("&Delete"), this);
    DeleteButton->setObjectName(QStringLiteral("DeleteButton"));
    CloseButton = new QPushButton(QStringLiteral("Close"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    connect(RenameButton, &QPushButton::clicked, this, &TFormManagePresets::RenameClick);
    connect(DeleteButton, &QPushButton::clicked, this, &TFormManagePresets::DeleteClick);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(RenameButton);
    buttons->addWidget(DeleteButton);
    buttons->addStretch(1);
    buttons->addWidget(CloseButton);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(List, 1);
    layout->addLayout(buttons);
    resize(360, 260);
}

void TFormManagePresets::Fill() {
    const int row = List->currentRow();
    List->clear();
    for (const TCurvePreset& p : Store.Saved())
        List->addItem(p.Name);
    List->setCurrentRow(std::min(std::max(row, 0), List->count() - 1));
    RenameButton->setEnabled(List->count() > 0);
    DeleteButton->setEnabled(List->count() > 0);
}

void TFormManagePresets::RenameClick() {
    const int row = List->currentRow();
    if (row < 0)
        return;
    if (!NameForm)
        NameForm = new TFormPresetName(this);
    NameForm->Ask(QStringLiteral("Rename Preset"), Store.Saved()[static_cast<size_t>(row)].Name);
    if (Prompter.ShowModal(NameForm) != QDialog::Accepted || NameForm->Name().isEmpty())
        return;
    try {
        Store.Rename(static_cast<size_t>(row), NameForm->Name());
    } catch (const WriteError&) {
        Prompter.Message(QStringLiteral("Unable to save presets: ") + Store.FilePath());
    }
    Fill();
}

void TFormManagePresets::DeleteClick() {
    const int row = List->currentRow();
    if (row < 0)
        return;
    try {
        Store.Remove(static_cast<size_t>(row));
    } catch (const WriteError&) {
        Prompter.Message(QStringLiteral("Unable to save presets: ") + Store.FilePath());
    }
    Fill();
}

// ---- the menu ----

TPresetsMenu::TPresetsMenu(IPrompter& prompter, std::function<Pen()> shownPen, QWidget* parent)
    : QMenu(QStringLiteral("Curve Pre&sets"), parent), Prompter(prompter), ShownPen(std::move(shownPen)) {
    setObjectName(QStringLiteral("Presets1"));
    menuAction()->setObjectName(QStringLiteral("Presets1"));
    connect(this, &QMenu::aboutToShow, this, &TPresetsMenu::Build);
}

TPresetsMenu::~TPresetsMenu() = default;

void TPresetsMenu::Build() {
    if (Presets) {
        AddSaved();
        return;
    }
    Presets = std::make_unique<TCurvePresets>(PresetsPath());
    const TCurvePresets::LoadResult loaded = Presets->Load();
    if (loaded == TCurvePresets::LoadResult::Damaged)
        Prompter.Message(QStringLiteral("The presets file is damaged and was kept aside: ") +
                         Presets->FilePath() + QStringLiteral(".bak"));
    else if (loaded == TCurvePresets::LoadResult::Stuck)
        Prompter.Message(QStringLiteral("The presets file is damaged; no preset can be saved: ") +
                         Presets->FilePath());

    const double ratio = devicePixelRatioF();
    // The built-ins are given as fractions of R; 1000 draws them finely enough for a picture.
    for (const TCurvePreset& preset : BuiltInPresets(1000)) {
        QAction* a = addAction(CurvePicture(preset, ratio), preset.Name);
        a->setObjectName(QStringLiteral("Preset ") + preset.Name);
        connect(a, &QAction::triggered, this, [this, name = preset.Name] {
            const int32_t R = ShownPen().PressureResolution;
            for (const TCurvePreset& p : BuiltInPresets(R))
                if (p.Name == name)
                    emit PresetChosen(p);
        });
    }
    addSeparator();
    SavedEnd = addSeparator();
    QAction* save = addAction(QStringLiteral("Sa&ve Curve as Preset..."), this, &TPresetsMenu::SaveClick);
    save->setObjectName(QStringLiteral("SavePreset1"));
    QAction* manage = addAction(QStringLiteral("&Manage Presets..."), this, &TPresetsMenu::ManageClick);
    manage->setObjectName(QStringLiteral("ManagePresets1"));
    AddSaved();
}

void TPresetsMenu::AddSaved() {
    for (QAction* a : SavedEntries)
        delete a;
    SavedEntries.clear();
    const double ratio = devicePixelRatioF();
    for (const TCurvePreset& preset : Presets->Saved()) {
        auto* a = new QAction(CurvePicture(preset, ratio), preset.Name, this);
        a->setObjectName(QStringLiteral("Saved ") + preset.Name);
        connect(a, &QAction::triggered, this, [this, preset] { emit PresetChosen(preset); });
        insertAction(SavedEnd, a);
        SavedEntries.append(a);
    }
}

void TPresetsMenu::SaveClick() {
    Build();
    if (!NameForm)
        NameForm = new TFormPresetName(parentWidget());
    NameForm->Ask(QStringLiteral("Save Curve as Preset"), QString());
    if (Prompter.ShowModal(NameForm) != QDialog::Accepted || NameForm->Name().isEmpty())
        return;
    const Pen pen = ShownPen();
    TCurvePreset preset{
        NameForm->Name(), pen.PressureResolution, {pen.P1Y, pen.P1X, pen.P2Y, pen.P2X, pen.P3Y, pen.P3X}};
    try {
        Presets->Add(preset);
    } catch (const WriteError&) {
        Prompter.Message(QStringLiteral("Unable to save presets: ") + Presets->FilePath());
    }
    AddSaved();
}

void TPresetsMenu::ManageClick() {
    Build();
    if (!ManageForm)
        ManageForm = new TFormManagePresets(Prompter, *Presets, parentWidget());
    ManageForm->Fill();
    Prompter.ShowModal(ManageForm);
    AddSaved();
}
