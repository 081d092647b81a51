#include "ui/Form_Tablet.h"

#include "data/ConfigWorkflow.h"
#include "data/CurvePresets.h"
#include "data/CurveTransfer.h"
#include "data/Data_xmlClass.h"
#include "data/FileText.h"
#include "graph/DrawClass.h"
#include "graph/PenHistory.h"
#include "graph/PolylineRaster.h"
#include "system/AtomicFile.h"
#include "system/Platform.h"
#include "system/Settings.h"
#include "system/functions.h"
#include "ui/ButtonShield.h"
#include "ui/EnabledFollower.h"
#include "ui/Form_About.h"
#include "ui/Form_ApplyCurve.h"
#include "ui/Form_Backups.h"
#include "ui/Form_ConfChoose.h"
#include "ui/Form_Edit.h"
#include "ui/Form_Info.h"
#include "ui/Form_PressureTest.h"
#include "ui/GraphImage.h"
#include "ui/PresetsMenu.h"
#include "ui/Prompter.h"
#include "ui/Resources.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStringList>

#include <algorithm>
#include <exception>
#include <initializer_list>

TTabletForm* TabletForm = nullptr;

namespace {

constexpr const char* SettingsSection = "Nibwright";
constexpr unsigned QuestionFlags = MB_YESNO | MB_ICONWARNING; // 0x34

constexpr const char* DefaultFileNames[3] = {"Wacom_Tablet.dat", "Pen_Tablet.dat", "ISD_Tablet.dat"};

void SetLabel(QLabel* label, const QString& text) {
    if (label->text() == text)
        return;
    label->setText(text);
    label->adjustSize();
}

// A label of fixed width keeps its size whatever the text.
void SetFixedWidthLabel(QLabel* label, const QString& text) {
    if (label->text() == text)
        return;
    label->setText(text);
}

QPixmap Picture(const char* resource) {
    return QPixmap::fromImage(LoadJpegResource(QString::fromLatin1(resource)));
}

// A scale strip for a screen of this device pixel ratio. Above 1 the picture is enlarged smoothly to the
// device pixels it covers, so that the screen does not blow it up pixel by pixel; its logical size stays.
QPixmap StripPicture(const char* resource, double ratio) {
    const QImage picture = LoadJpegResource(QString::fromLatin1(resource));
    if (ratio <= 1.0 || picture.isNull())
        return QPixmap::fromImage(picture);
    QImage sharp = picture.scaled(TDeviceScale(ratio).DeviceSize(picture.size()), Qt::IgnoreAspectRatio,
                                  Qt::SmoothTransformation);
    sharp.setDevicePixelRatio(ratio);
    return QPixmap::fromImage(sharp);
}

} // namespace

TTabletForm::TTabletForm(IPrompter& prompter, QWidget* parent) : QMainWindow(parent), Prompter(prompter) {
    setObjectName("TabletForm");
    setWindowTitle("Nibwright");
    // Fixed single border, system menu and minimise box; no maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    // Tahoma at 11 pixels (8 point at 96 dpi); the platform picks a fallback where Tahoma is missing. The
    // size is given in pixels because the window's geometry is fixed in pixels. The fallback faces run wider
    // than Tahoma; their condensed cut keeps the captions inside the fixed control sizes.
    // Whether Tahoma itself is installed is read off the list of families: QFontDatabase::hasFamily would
    // also run the name through the font configuration's substitution rules first, a noticeable part of the
    // start-up, to the same end.
    QFont font("Tahoma");
    font.setPixelSize(11);
    if (!QFontDatabase::families().contains(QStringLiteral("Tahoma"), Qt::CaseInsensitive))
        font.setStretch(QFont::Condensed);
    setFont(font);
    // The icon is a PNG: naming the format spares probing every image plugin for it.
    setWindowIcon(QIcon(QPixmap(QString::fromLatin1(IconResource), "PNG")));

    History = std::make_unique<TPenHistory>(
        [this](int index, const Pen& pen) { RestorePen(index, pen); },
        [this](const std::vector<TPenHistory::Change>& changes, bool after) { RestorePens(changes, after); });
    BuildMenu();
    BuildControls();
    // The curve entries act on the shown pen, as the pen editor does, and are offered when it is.
    FollowEnabled(BtModifyValues, {CopyCurve1, PasteCurve1, ApplyToPens1, Presets1->menuAction()});
    SetClientWidth(713);
    SetClientHeight(632);
    if (QScreen* s = screen())
        move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));

    FormCreate();
}

TTabletForm::~TTabletForm() {
    FormDestroy();
    // The graph image outlives this part of the window: hidden on the way out, it still reports the focus it
    // loses, which must not reach a window whose graph is gone.
    disconnect(Image, nullptr, this, nullptr);
    if (TabletForm == this)
        TabletForm = nullptr;
}

void TTabletForm::BuildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");
    auto entry = [this](QMenu* menu, const char* name, const char* caption, void (TTabletForm::*handler)()) {
        QAction* a = menu->addAction(QString::fromLatin1(caption));
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    auto separator = [](QMenu* menu, const char* name) {
        QAction* a = menu->addSeparator();
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };

    File1 = bar->addMenu("&File");
    File1->setObjectName("File1");
    Open1 = entry(File1, "Open1", "&Open...", &TTabletForm::Open1Click);
    OpenDefault1 = entry(File1, "OpenDefault1", "Open Default Config", &TTabletForm::OpenDefault1Click);
    N4 = separator(File1, "N4");
    Save1 = entry(File1, "Save1", "&Save", &TTabletForm::Save1Click);
    N2 = separator(File1, "N2");
    Exit1 = entry(File1, "Exit1", "E&xit", &TTabletForm::Exit1Click);

    // The actions name the step they undo or redo ("&Undo Move Middle Point") and are enabled only while
    // there is one.
    Edit2 = bar->addMenu("&Edit");
    Edit2->setObjectName("Edit2");
    Undo1 = History->Stack().createUndoAction(Edit2, "&Undo");
    Undo1->setObjectName("Undo1");
    Undo1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    Edit2->addAction(Undo1);
    Redo1 = History->Stack().createRedoAction(Edit2, "&Redo");
    Redo1->setObjectName("Redo1");
    Redo1->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    Edit2->addAction(Redo1);
    N5 = separator(Edit2, "N5");
    CopyCurve1 = entry(Edit2, "CopyCurve1", "&Copy Curve", &TTabletForm::CopyCurve1Click);
    CopyCurve1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    PasteCurve1 = entry(Edit2, "PasteCurve1", "&Paste Curve", &TTabletForm::PasteCurve1Click);
    PasteCurve1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    ApplyToPens1 = entry(Edit2, "ApplyToPens1", "Apply Curve to Pe&ns...", &TTabletForm::ApplyToPens1Click);
    Presets1 = new TPresetsMenu(
        Prompter, [this] { return Graph->GetPen(Graph->GetSelectedPen()); }, this);
    Edit2->addMenu(Presets1);
    connect(Presets1, &TPresetsMenu::PresetChosen, this, &TTabletForm::PresetChosen);

    Edit1 = bar->addMenu("Backup");
    Edit1->setObjectName("Edit1");
    ManuallySetFirstRunBackup1 = entry(Edit1, "ManuallySetFirstRunBackup1", "C&reate Backup Point",
                                       &TTabletForm::ChangeFirstRunBackup1Click);
    Replace1 = entry(Edit1, "Replace1", "R&estore Backup Point", &TTabletForm::Replace1Click);
    RestoreEarlier1 =
        entry(Edit1, "RestoreEarlier1", "Restore Ear&lier Backup...", &TTabletForm::RestoreEarlier1Click);
    // Offered exactly when the backup point's restore is.
    connect(Replace1, &QAction::enabledChanged, RestoreEarlier1, &QAction::setEnabled);

    UserInterface1 = bar->addMenu("User Interface");
    UserInterface1->setObjectName("UserInterface1");
    Big1 = entry(UserInterface1, "Big1", "Big (Pc)", &TTabletForm::Big1Click);
    Small1 = entry(UserInterface1, "Small1", "Small (Tablet)", &TTabletForm::Small1Click);

    Tools1 = bar->addMenu("&Tools");
    Tools1->setObjectName("Tools1");
    PressureTest1 = entry(Tools1, "PressureTest1", "&Pressure Test...", &TTabletForm::PressureTest1Click);
    PressureTest1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));

    Help1 = bar->addMenu("&Help");
    Help1->setObjectName("Help1");
    HomePage1 = entry(Help1, "HomePage1", "HomePage...", &TTabletForm::HomePage1Click);
    N1 = separator(Help1, "N1");
    About1 = entry(Help1, "About1", "&About...", &TTabletForm::About1Click);
}

void TTabletForm::BuildControls() {
    Client = new QWidget(this);
    Client->setObjectName("ClientArea");
    setCentralWidget(Client);

    auto group = [](QWidget* parent, const char* name, const char* caption, int l, int t, int w, int h) {
        auto* g = new QGroupBox(QString::fromLatin1(caption), parent);
        g->setObjectName(QString::fromLatin1(name));
        g->setGeometry(l, t, w, h);
        return g;
    };
    auto label = [](QWidget* parent, const char* name, const char* caption, int l, int t) {
        auto* lb = new QLabel(QString::fromLatin1(caption), parent);
        lb->setObjectName(QString::fromLatin1(name));
        lb->move(l, t);
        lb->adjustSize();
        return lb;
    };
    auto check = [this](QWidget* parent, const char* name, const char* caption, const char* hint, int l,
                        int t, int w, bool checked, void (TTabletForm::*handler)()) {
        auto* c = new QCheckBox(QString::fromLatin1(caption), parent);
        c->setObjectName(QString::fromLatin1(name));
        c->setGeometry(l, t, w, 17);
        c->setChecked(checked);
        c->setToolTip(QString::fromLatin1(hint));
        connect(c, &QCheckBox::clicked, this, handler);
        return c;
    };
    auto button = [this](const char* name, const char* caption, int l, int t, int w, bool enabled,
                         void (TTabletForm::*handler)()) {
        auto* b = new QPushButton(QString::fromLatin1(caption), Client);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(l, t, w, 25);
        b->setEnabled(enabled);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };

    GroupBox1 = group(Client, "GroupBox1", "Pressure Graph", 8, 8, 697, 569);

    Image = new TGraphImage(GroupBox1);
    Image->setObjectName("Image");
    Image->move(14, 24);
    Image->SetImageSize(500, 500);
    connect(Image, &TGraphImage::MouseDown, this, &TTabletForm::ImageMouseDown);
    connect(Image, &TGraphImage::MouseMove, this, &TTabletForm::ImageMouseMove);
    connect(Image, &TGraphImage::MouseUp, this, &TTabletForm::ImageMouseUp);
    connect(Image, &TGraphImage::RatioChanged, this, &TTabletForm::ImageRatioChange);
    connect(Image, &TGraphImage::NextHandle, this, &TTabletForm::ImageNextHandle);
    connect(Image, &TGraphImage::MoveHandle, this, &TTabletForm::ImageMoveHandle);
    connect(Image, &TGraphImage::LeaveHandle, this, &TTabletForm::ImageLeaveHandle);
    connect(Image, &TGraphImage::FocusEntered, this, &TTabletForm::ImageFocusEntered);
    connect(Image, &TGraphImage::FocusLeft, this, &TTabletForm::ImageFocusLeft);

    Image_Right = new QLabel(GroupBox1);
    Image_Right->setObjectName("Image_Right");
    Image_Right->setGeometry(514, 24, 25, 500);
    Image_Right->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image_Right->setPixmap(StripPicture(ImageRightResource, Image->DeviceRatio()));

    Image_Bottom = new QLabel(GroupBox1);
    Image_Bottom->setObjectName("Image_Bottom");
    Image_Bottom->setGeometry(14, 524, 500, 25);
    Image_Bottom->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image_Bottom->setPixmap(StripPicture(ImageBottomResource, Image->DeviceRatio()));

    ImWarn = new QLabel(GroupBox1);
    ImWarn->setObjectName("ImWarn");
    ImWarn->setGeometry(607, 169, 20, 20);
    ImWarn->setScaledContents(true);
    ImWarn->setPixmap(Picture(ImWarnResource));
    ImWarn->hide();

    Label3 = label(GroupBox1, "Label3", "1.6 BETA version", 575, 287);
    QPalette black = Label3->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    Label3->setPalette(black);

    GroupBox2 = group(GroupBox1, "GroupBox2", "Pen", 552, 24, 135, 54);
    ComboBox = new QComboBox(GroupBox2);
    ComboBox->setObjectName("ComboBox");
    ComboBox->setGeometry(12, 21, 108, 21);
    // activated: only the user's choice; the list's own filling in LoadConfig calls ComboBoxChange itself.
    connect(ComboBox, &QComboBox::activated, this, &TTabletForm::ComboBoxChange);

    GroupBox3 = group(GroupBox1, "GroupBox3", "Point", 552, 84, 135, 61);
    LabelOP = label(GroupBox3, "LabelOP", "Output", 12, 20);
    LabelPX = label(GroupBox3, "LabelPX", "PointX", 67, 20);
    LabelIP = label(GroupBox3, "LabelIP", "Input", 12, 39);
    LabelPY = label(GroupBox3, "LabelPY", "PointY", 67, 39);
    LabelPY->resize(70, LabelPY->height());

    GroupBox4 = group(GroupBox1, "GroupBox4", "Settings", 552, 380, 135, 144);
    CBLimitP = check(GroupBox4, "CBLimitP", "Limit Control Points",
                     "Limits control-points movement. Uncecking allows to move "
                     "control-points without limitations.",
                     3, 17, 127, true, &TTabletForm::CBLimitPClick);
    CbLimitMp = check(GroupBox4, "CbLimitMp", "Maintain Linear Curve",
                      "Approximate middle control-point position to generate "
                      "linear pressure curve. Uncecking "
                      "allows to move middle control-point without limitations.",
                      3, 39, 127, false, &TTabletForm::CbLimitMpClick);
    CbLimitT = check(GroupBox4, "CbLimitT", "Limit Threshold Points",
                     "Automatic adjustment of Threshold values. Uncecking allows "
                     "to change Threshold values without "
                     "limitations.",
                     5, 62, 127, true, &TTabletForm::CbLimitTClick);
    CbService =
        check(GroupBox4, "CbService", "Auto-detect service", "Select correct tablet service for restart.", 3,
              96, 129, true, &TTabletForm::CbServiceClick);
    CBoxService = new QComboBox(GroupBox4);
    CBoxService->setObjectName("CBoxService");
    CBoxService->setGeometry(3, 119, 124, 21);
    for (const char* name : ServiceNames)
        CBoxService->addItem(QString::fromLatin1(name));
    CBoxService->setCurrentIndex(-1);
    CBoxService->setEnabled(false);

    BtGenerateinfo = button("BtGenerateinfo", "Show Current Values", 8, 583, 113, false,
                            &TTabletForm::BtGenerateinfoClick);
    BtModifyValues =
        button("BtModifyValues", "Pen Editor", 127, 583, 113, false, &TTabletForm::BtModifyValuesClick);
    BtApply = button("BtApply", "Apply Changes", 496, 583, 100, true, &TTabletForm::BtApplyClick);
    BtReset = button("BtReset", "Reset Changes", 602, 583, 100, true, &TTabletForm::BtResetClick);

    QStatusBar* bar = statusBar();
    bar->setObjectName("StatusBar");
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(19);
    StatusPanel = new QLabel(bar);
    StatusPanel->setObjectName("StatusPanel");
    StatusPanel->setMinimumWidth(50);
    bar->addWidget(StatusPanel, 1);

    // The graph comes last in the tab order, after every control that has its place in the design. Qt reads
    // the focus chain as a ring: with only focus-less widgets between the last button and the window's start,
    // the graph (created early, so leading the chain) already seems to follow the button, and setTabOrder
    // would change nothing. The status bar, next in the chain, takes the focus for that one call.
    const Qt::FocusPolicy barPolicy = bar->focusPolicy();
    bar->setFocusPolicy(Qt::TabFocus);
    QWidget::setTabOrder(BtReset, Image);
    bar->setFocusPolicy(barPolicy);
}

// ---- geometry ----

static int MenuBarHeight(const QMainWindow* w, int width) {
    const QWidget* bar = w->menuWidget();
    if (!bar)
        return 0;
    return bar->hasHeightForWidth() ? bar->heightForWidth(width) : bar->sizeHint().height();
}

int TTabletForm::ClientWidth() const {
    return width();
}
int TTabletForm::ClientHeight() const {
    return height() - MenuBarHeight(this, width());
}
void TTabletForm::SetClientWidth(int w) {
    const int h = ClientHeight();
    setFixedSize(w, h + MenuBarHeight(this, w));
}
void TTabletForm::SetClientHeight(int h) {
    setFixedSize(width(), h + MenuBarHeight(this, width()));
}

QString TTabletForm::StatusText() const {
    return StatusPanel->text();
}

// ---- paths ----

QString TTabletForm::DefaultConfigPath(int which) {
    const QString appData = QString::fromStdString(Platform().GetEnv("APPDATA"));
    return appData + PathDelim + "WTablet" + PathDelim + QString::fromLatin1(DefaultFileNames[which]);
}

QString TTabletForm::SettingsPath() {
    return DataFolder() + "Nibwright.ini";
}

// ---- the window's events ----

void TTabletForm::FormCreate() {
    SetButtonShield(BtApply, true); // applying restarts a service with administrator rights
    // Qt paints every widget double-buffered; nothing to switch.
    Graph = std::make_unique<TDrawClass>(*Image, qRgb(0xFF, 0xFF, 0xFF));

    if (IsRegularFile(SettingsPath())) {
        TIniFile ini(SettingsPath());
        CBLimitP->setChecked(ini.ReadBool(SettingsSection, "Point Limiter", true));
        CbLimitT->setChecked(ini.ReadBool(SettingsSection, "Threshold Limiter", true));
        CbLimitMp->setChecked(ini.ReadBool(SettingsSection, "MiddlePoint Limiter", false));
        CbService->setChecked(ini.ReadBool(SettingsSection, "Auto Service", true));
        const int row = ini.ReadInteger(SettingsSection, "Selected Service", -1);
        CBoxService->setCurrentIndex(row >= 0 && row < ServiceCount ? row : -1);
        CBLimitPClick();
        CbLimitTClick();
        CbLimitMpClick();
    }
    FirstShow = true;
}

void TTabletForm::setVisible(bool visible) {
    // The first showing loads the first file before the window appears, so a chooser comes first.
    if (visible && !isVisible())
        FormShow();
    QMainWindow::setVisible(visible);
}

void TTabletForm::FormShow() {
    if (!FirstShow)
        return;
    IsdChosen = false;
    LoadConfig(false, false);
    if (IsdChosen)
        SetSmallLayout();
    FirstShow = false;
}

void TTabletForm::FormDestroy() {
    if (Destroyed)
        return;
    Destroyed = true;
    const QString path = SettingsPath();
    try {
        // The per-user folder of an installed copy may not exist yet.
        CreateFolders(DataFolder());
        TIniFile ini(path);
        // The five keys in their order, and the file written once for all of them.
        ini.Update([&](TIniFile& keys) {
            keys.WriteBool(SettingsSection, "Point Limiter", CBLimitP->isChecked());
            keys.WriteBool(SettingsSection, "Threshold Limiter", CbLimitT->isChecked());
            keys.WriteBool(SettingsSection, "MiddlePoint Limiter", CbLimitMp->isChecked());
            keys.WriteBool(SettingsSection, "Auto Service", CbService->isChecked());
            keys.WriteInteger(SettingsSection, "Selected Service", CBoxService->currentIndex());
        });
    } catch (const std::exception&) {
        Prompter.Message(QString("Unable to write to %1").arg(path));
    }
    PressureTest.reset();
    Graph.reset();
}

// ---- loading ----

bool TTabletForm::IsConfigValid() const {
    return FileHandler && FileHandler->IsValid();
}

void TTabletForm::LoadConfig(bool askUser, bool keepPath) {
    // Every load replaces or puts out of reach the pens the steps refer to.
    History->Clear();
    DragStart.reset();

    // 1. The path: kept, chosen in the file dialog, or a default file (asking when several exist).
    if (keepPath) {
        // ConfigPath stays.
    } else if (askUser) {
        OpenFileOptions options;
        options.Filters = QStringList{"Dat (*.dat)", "All Fles (*)"};
        options.HideReadOnly = true;
        options.ShowHidden = true;
        options.MustExist = false;
        if (IsRegularFile(ConfigPath))
            options.Directory = QFileInfo(ConfigPath).absolutePath();
        if (const auto chosen = Prompter.OpenFile(this, options))
            ConfigPath = *chosen;
        // Cancelled: the file in use is read again below.
    } else {
        int count = 0;
        for (int i = 0; i < 3; ++i) {
            const QString path = DefaultConfigPath(i);
            const bool exists = IsRegularFile(path);
            if (exists) {
                ConfigPath = path;
                ++count;
            }
            if (FormChoose) {
                QPushButton* const buttons[3] = {FormChoose->WB, FormChoose->PB, FormChoose->IB};
                buttons[i]->setEnabled(exists);
            }
        }
        if (count > 1 && FormChoose) {
            switch (Prompter.ShowModal(FormChoose)) {
            case TFormChoose::ResultWacom:
                ConfigPath = DefaultConfigPath(0);
                break;
            case TFormChoose::ResultPen:
                ConfigPath = DefaultConfigPath(1);
                break;
            case TFormChoose::ResultISD:
                ConfigPath = DefaultConfigPath(2);
                IsdChosen = true;
                break;
            default:
                break; // the last file found stays
            }
        }
    }

    // 2.-4. The file, a handler of its format, its pens. A missing file leaves the previous handler in place,
    // out of reach behind the disabled controls; one that cannot be read at all leaves no handler.
    const OpenStatus opened =
        OpenConfig(ConfigPath, FileHandler, [this](const QString& text) { Prompter.Message(text); });
    if (opened != OpenStatus::Loaded) {
        DisableControls();
        ConfigPath = FailedOpenText(opened, ConfigPath);
        StatusPanel->setText(ConfigPath);
        return;
    }

    // 5. The first valid file ever loaded becomes the backup point.
    Show(KeepFirstBackupPoint(*FileHandler));

    // 6. Present: controls, the pen list, the last pen.
    EnableControls();
    bool isDefault = false;
    for (int i = 0; i < 3; ++i)
        isDefault = isDefault || ConfigPath == DefaultConfigPath(i);
    if (!isDefault)
        RestrictNonDefault();
    Graph->SetPens(FileHandler->GetPens());
    // The names go in with one insertion: a file may hold hundreds of pens, and each single insertion
    // notifies the list's model and views.
    const APen pens = Graph->GetPens();
    QStringList names;
    names.reserve(qsizetype(pens.size()));
    for (const Pen& pen : pens)
        names.append(FileText(pen.ButtonName));
    ComboBox->clear();
    ComboBox->addItems(names);
    ComboBox->setCurrentIndex(ComboBox->count() - 1);
    ComboBoxChange();
    NoteFileCurves();

    // 7. The status bar shows the path.
    StatusPanel->setText(ConfigPath);
}

void TTabletForm::NoteFileCurves() {
    FileCurves = TFileCurves{Graph->GetPens(), DetectServiceIndex(ConfigPath) >= 0};
    if (PressureTest)
        PressureTest->SetFileCurves(FileCurves);
}

void TTabletForm::EnableControls() {
    for (QWidget* w :
         std::initializer_list<QWidget*>{ComboBox, BtApply, Image, BtGenerateinfo, BtModifyValues, BtReset})
        w->setEnabled(true);
    GroupBox3->setTitle("Info");
    SetLabel(LabelPX, "X: -");
    SetFixedWidthLabel(LabelPY, "Y: -");
    SetLabel(LabelOP, "Output");
    SetLabel(LabelIP, "Input");
    CbLimitT->setEnabled(true);
    CBLimitP->setEnabled(true);
    CbLimitMp->setEnabled(true);
    ImWarn->hide();
    ManuallySetFirstRunBackup1->setEnabled(true);
    Save1->setEnabled(true);
    Replace1->setEnabled(true);
    CbService->setEnabled(true);
    if (CbService->isChecked())
        SelectDetectedService();
    else
        CBoxService->setEnabled(true);
}

void TTabletForm::DisableControls() {
    ComboBox->clear();
    ComboBox->addItem("No File");
    ComboBox->setCurrentIndex(0);
    for (QWidget* w :
         std::initializer_list<QWidget*>{ComboBox, BtApply, Image, BtGenerateinfo, BtModifyValues, BtReset})
        w->setEnabled(false);
    GroupBox3->setTitle("Info");
    SetLabel(LabelOP, "Output");
    SetLabel(LabelIP, "Input");
    CbLimitT->setEnabled(false);
    CBLimitP->setEnabled(false);
    CbLimitMp->setEnabled(false);
    ImWarn->hide();
    SetLabel(LabelPX, "X: -");
    SetFixedWidthLabel(LabelPY, "Y: -");
    ManuallySetFirstRunBackup1->setEnabled(false);
    Save1->setEnabled(false);
    Replace1->setEnabled(false);
    CbService->setEnabled(false);
    CBoxService->setEnabled(false);
    // The disabled image loses the keyboard. While another window is active (the file dialog, "Earlier
    // Backups") that happens without a focus-out, and the handle kept would be ringed by the next load on a
    // graph that has no focus.
    Graph->SetFocusHandle(-1);
    Graph->DrawGrid();
}

void TTabletForm::RestrictNonDefault() {
    BtApply->setEnabled(false);
    ManuallySetFirstRunBackup1->setEnabled(false);
    Replace1->setEnabled(false);
}

void TTabletForm::SelectDetectedService() {
    CBoxService->setEnabled(false);
    const int row = DetectServiceIndex(ConfigPath);
    CBoxService->setCurrentIndex(row >= 0 && row < ServiceCount ? row : -1);
}

// ---- editing commands ----

void TTabletForm::ComboBoxChange() {
    Graph->ShowPen(ComboBox->currentIndex());
}

void TTabletForm::CopyCaptions() {
    const TCaptions c = Graph->GetCaptions();
    SetLabel(LabelOP, QString::fromStdString(c.Output));
    SetLabel(LabelIP, QString::fromStdString(c.Input));
    SetLabel(LabelPX, QString::fromStdString(c.PointX));
    SetFixedWidthLabel(LabelPY, QString::fromStdString(c.PointY));
    const QString name = QString::fromStdString(c.PointName);
    if (GroupBox3->title() != name)
        GroupBox3->setTitle(name);
}

// The graph works on the shown pen; without one (no valid file) the image is disabled and gets no events.
void TTabletForm::ImageMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y) {
    if (Graph->GetSelectedPen() < 0)
        return;
    // A click hands the keyboard the handle under the pointer, or none; the ring waits for a key.
    Graph->SetFocusHandle(Graph->HandleAt(x, y));
    Graph->ShowFocusRing(false);
    Graph->MouseDown(button, modifiers, x, y);
    if (Graph->IsDragging() && !DragStart) {
        const int index = Graph->GetSelectedPen();
        DragStart = DragRecord{index, Graph->GetPen(index)};
    }
}

void TTabletForm::ImageMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y) {
    if (Graph->GetSelectedPen() < 0)
        return;
    Graph->MouseMove(buttons, modifiers, x, y);
    CopyCaptions();
}

void TTabletForm::ImageMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y) {
    if (Graph->GetSelectedPen() < 0)
        return;
    Graph->MouseUp(button, modifiers, x, y);
    CopyCaptions();
    if (DragStart) {
        const DragRecord start = std::move(*DragStart);
        DragStart.reset();
        History->Record(TPenEdit(Graph->GetDragTarget()), start.Index, start.Before,
                        Graph->GetPen(start.Index));
    }
}

// ---- undo, redo and the keyboard on the graph ----

void TTabletForm::RestorePen(int index, const Pen& pen) {
    // A drag still under way is given up whole, so that it leaves no edit outside the history.
    if (DragStart) {
        Graph->SetPen(DragStart->Index, DragStart->Before);
        DragStart.reset();
    }
    Graph->SetPen(index, pen);
    if (ComboBox->currentIndex() != index)
        ComboBox->setCurrentIndex(index);
    Graph->ShowPen(index);
    Graph->ReleaseHandle(); // the captions as after a release; the pointer is elsewhere
    CopyCaptions();
}

void TTabletForm::RestorePens(const std::vector<TPenHistory::Change>& changes, bool after) {
    if (DragStart) {
        Graph->SetPen(DragStart->Index, DragStart->Before);
        DragStart.reset();
    }
    for (const TPenHistory::Change& change : changes)
        Graph->SetPen(change.Index, after ? change.After : change.Before);
    Graph->ShowPen(Graph->GetSelectedPen());
    Graph->ReleaseHandle(); // the captions as after a release; the pointer is elsewhere
    CopyCaptions();
}

void TTabletForm::ImageNextHandle(bool forward, bool& handled) {
    // Lower, middle and upper point, upper and lower threshold, in that order; past either end the focus
    // moves on to the other controls, so Tab never goes round inside the graph.
    const int now = Graph->GetFocusHandle();
    int next = forward ? TDrawClass::TargetLower : TDrawClass::TargetLowerThreshold;
    if (now >= 0)
        next = now + (forward ? 1 : -1);
    History->EndKeyRun();
    handled = next >= TDrawClass::TargetLower && next <= TDrawClass::TargetLowerThreshold;
    if (!handled)
        return;
    Graph->SetFocusHandle(next);
    Graph->ShowFocusRing(true);
}

// A key moves the handle as a press on it, a move by the step and a release would; the labels show the
// values the move reached.
void TTabletForm::ImageMoveHandle(int dx, int dy) {
    const int index = Graph->GetSelectedPen();
    const int handle = Graph->GetFocusHandle();
    if (index < 0 || handle < 0 || DragStart)
        return;
    Graph->ShowFocusRing(true);
    const bool threshold =
        handle == TDrawClass::TargetUpperThreshold || handle == TDrawClass::TargetLowerThreshold;
    if (threshold && dy == 0)
        return; // a threshold handle has no place to go sideways: nothing is pressed
    const Pen before = Graph->GetPen(index);
    const QPoint at = Graph->HandlePosition(handle);
    Graph->PressHandle(handle);
    if (!Graph->IsDragging())
        return;
    Graph->MouseMove(Qt::LeftButton, Qt::NoModifier, at.x() + dx, at.y() + dy);
    CopyCaptions();
    Graph->ReleaseHandle(); // the cursor stays as the pointer left it
    History->RecordKey(TPenEdit(handle), index, before, Graph->GetPen(index));
}

void TTabletForm::ImageLeaveHandle(bool& handled) {
    handled = Graph->GetFocusHandle() >= 0;
    Graph->SetFocusHandle(-1);
    History->EndKeyRun();
}

void TTabletForm::ImageFocusEntered(Qt::FocusReason reason) {
    // Reached by Tab, the graph starts on its first handle, by Shift+Tab on its last; a click marks none.
    if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) {
        Graph->SetFocusHandle(reason == Qt::TabFocusReason ? TDrawClass::TargetLower
                                                           : TDrawClass::TargetLowerThreshold);
        Graph->ShowFocusRing(true);
    }
    History->EndKeyRun();
}

void TTabletForm::ImageFocusLeft(Qt::FocusReason reason) {
    // A menu opened or another window activated keeps the handle; the focus moved elsewhere leaves it.
    if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
        Graph->SetFocusHandle(-1);
    History->EndKeyRun();
}

void TTabletForm::ImageRatioChange() {
    // The graph image was made anew for a screen of another density: draw what it showed, and the scale
    // strips, at that density.
    if (Graph)
        Graph->Redraw();
    Image_Right->setPixmap(StripPicture(ImageRightResource, Image->DeviceRatio()));
    Image_Bottom->setPixmap(StripPicture(ImageBottomResource, Image->DeviceRatio()));
}

TFileHandler* TTabletForm::HandlerInUse() const {
    return FileHandler && FileHandler->GetFileName() == ConfigPath ? FileHandler.get() : nullptr;
}

void TTabletForm::Show(const UserReport& report) {
    if (report.How == UserReport::Kind::Message)
        Prompter.Message(report.Text);
    else if (report.How == UserReport::Kind::Error)
        Prompter.Error(report.Text);
}

void TTabletForm::BtApplyClick() {
    if (Prompter.Question("Apply changes",
                          "Apply New Settings?\r\n\r\n(Please close all "
                          "tablet-related applications)",
                          QuestionFlags) != IDYES)
        return;
    if (WriteEditedPens(HandlerInUse(), Graph->GetPens()).Written)
        NoteFileCurves();
    else
        Prompter.Message(ConfigText::ApplyFailed);
    RestartTabletService(ConfigPath, !CbService->isChecked(), CBoxService->currentIndex(),
                         [this](const QString& text) { Prompter.Message(text); });
}

void TTabletForm::Save1Click() {
    if (Prompter.Question("Save Changes", "Save Changes?", QuestionFlags) != IDYES)
        return;
    if (WriteEditedPens(HandlerInUse(), Graph->GetPens()).Written)
        NoteFileCurves();
    else
        Prompter.Message(ConfigText::SaveFailed);
}

void TTabletForm::BtResetClick() {
    LoadConfig(false, IsConfigValid());
}

void TTabletForm::Open1Click() {
    LoadConfig(true, false);
}

void TTabletForm::OpenDefault1Click() {
    ConfigPath.clear();
    LoadConfig(false, false);
}

void TTabletForm::BtGenerateinfoClick() {
    if (!FormInfo)
        return;
    FormInfo->FillInfo(Graph->GetSelectedPen(), Graph->GetPens());
    Prompter.ShowModal(FormInfo);
}

void TTabletForm::BtModifyValuesClick() {
    if (!FormEdit)
        return;
    const int index = Graph->GetSelectedPen();
    const Pen before = Graph->GetPen(index);
    FormEdit->LoadPen(index, Graph->GetPens());
    if (Prompter.ShowModal(FormEdit) == TFormEdit::ResultOK) {
        Graph->SetPens(FormEdit->GetPens());
        History->Record(TPenEdit::PenEditor, index, before, Graph->GetPen(index));
    }
    Graph->ShowPen(ComboBox->currentIndex());
}

void TTabletForm::CBLimitPClick() {
    Graph->SetPointLimiter(CBLimitP->isChecked());
}
void TTabletForm::CbLimitTClick() {
    Graph->SetThresholdLimiter(CbLimitT->isChecked());
}
void TTabletForm::CbLimitMpClick() {
    Graph->SetMiddlePointLimiter(CbLimitMp->isChecked());
}

void TTabletForm::CbServiceClick() {
    if (CbService->isChecked())
        SelectDetectedService();
    else
        CBoxService->setEnabled(true);
}

void TTabletForm::Exit1Click() {
    close();
    QCoreApplication::quit();
}

void TTabletForm::HomePage1Click() {
    Prompter.OpenUrl(HomePageUrl());
}

void TTabletForm::About1Click() {
    if (AboutBox)
        Prompter.ShowModal(AboutBox);
}

// ---- backup points ----

void TTabletForm::ChangeFirstRunBackup1Click() {
    if (!IsConfigValid())
        return;
    if (Prompter.Question("Options", "Overwrite Last Backup Point?", QuestionFlags) != IDYES)
        return;
    // No guard of its own: a failed write ends the command with the general error report.
    Show(WriteBackupPoint(*FileHandler));
}

void TTabletForm::Replace1Click() {
    RestoreFrom(BackupPointPath());
}

void TTabletForm::RestoreEarlier1Click() {
    if (!FormBackups)
        FormBackups = new TFormBackups(
            Prompter,
            [this](const QString& backup, const std::function<bool()>& stillListed) {
                return RestoreFrom(backup, stillListed);
            },
            this);
    const TFileHandler* inUse = HandlerInUse();
    const BackupFormat format = !inUse                                    ? BackupFormat::Unknown
                                : dynamic_cast<const TXMLHandler*>(inUse) ? BackupFormat::Xml
                                                                          : BackupFormat::Text;
    FormBackups->Open(BackupFolder(), Graph->GetPens(), Graph->GetSelectedPen(), format);
    Prompter.ShowModal(FormBackups);
}

bool TTabletForm::RestoreFrom(const QString& backup, const std::function<bool()>& stillThere) {
    const RestoreResult restored = RestoreBackup(
        HandlerInUse(), backup,
        [this] {
            return Prompter.Question("Restore config",
                                     "Restore and Apply Backup Point?\r\n\r\n(Please close "
                                     "all tablet-related aplications!)",
                                     QuestionFlags) == IDYES;
        },
        stillThere);
    Show(restored.Report);
    if (restored.Restart)
        RestartTabletService(FileHandler->GetFileName(), !CbService->isChecked(), CBoxService->currentIndex(),
                             [this](const QString& text) { Prompter.Message(text); });
    if (restored.Reload)
        LoadConfig(false, true);
    return restored.Outcome == RestoreOutcome::Restored;
}

// ---- layouts ----

void TTabletForm::ApplyLayout(bool small) {
    const int side = small ? 300 : 500;
    const int shift = small ? -200 : 0; // everything right of or below the graph moves with its size
    SetClientWidth(713 + shift);
    SetClientHeight(small ? 431 : 631);
    GroupBox1->resize(697 + shift, 569 + shift);
    Image->SetImageSize(side, side);
    Image_Right->setGeometry(514 + shift, 24, 25, side);
    Image_Right->setScaledContents(small);
    Image_Bottom->setGeometry(14, 524 + shift, side, 25);
    Image_Bottom->setScaledContents(small);
    BtGenerateinfo->move(8, 583 + shift);
    BtModifyValues->move(127, 583 + shift);
    BtApply->move(496 + shift, 583 + shift);
    BtReset->move(602 + shift, 583 + shift);
    GroupBox2->move(552 + shift, 24);
    GroupBox3->move(552 + shift, 84);
    GroupBox4->move(552 + shift, small ? 180 : 380);
    Label3->move(small ? 375 : 575, small ? 155 : 287);
    LoadConfig(false, IsConfigValid());
}

void TTabletForm::SetSmallLayout() {
    ApplyLayout(true);
}
void TTabletForm::SetBigLayout() {
    ApplyLayout(false);
}
void TTabletForm::Small1Click() {
    SetSmallLayout();
}
void TTabletForm::Big1Click() {
    SetBigLayout();
}

// ---- tools ----

void TTabletForm::PressureTest1Click() {
    // Built on first use, so that it costs the start-up nothing; first shown beside the main window, as far
    // as the screen has room, and from then on where the user put it.
    const bool first = !PressureTest;
    if (first)
        PressureTest = std::make_unique<TFormPressureTest>(
            *Graph, [this] { return IsConfigValid(); }, this);
    if (first)
        PressureTest->SetFileCurves(FileCurves);
    PressureTest->show();
    if (first) {
        QPoint at = frameGeometry().topRight() + QPoint(8, 0);
        if (QScreen* s = screen()) {
            const QRect room = s->availableGeometry();
            const QSize size = PressureTest->frameGeometry().size();
            at.setX(std::max(room.left(), std::min(at.x(), room.right() + 1 - size.width())));
            at.setY(std::max(room.top(), std::min(at.y(), room.bottom() + 1 - size.height())));
        }
        PressureTest->move(at);
    }
    PressureTest->raise();
    PressureTest->activateWindow();
}

// ---- curves carried between pens ----

void TTabletForm::EditShownPen(TPenEdit what, const Pen& after) {
    const int index = Graph->GetSelectedPen();
    History->Record(what, index, Graph->GetPen(index), after);
    Graph->SetPen(index, after);
    Graph->ShowPen(index);
}

void TTabletForm::CopyCurve1Click() {
    if (Graph->GetSelectedPen() < 0)
        return;
    QGuiApplication::clipboard()->setText(
        QString::fromUtf8(PenJsonText(Graph->GetPen(Graph->GetSelectedPen()))));
}

// A drag under way owns the shown pen until its release; the commands that change pens wait for it.
void TTabletForm::PasteCurve1Click() {
    if (Graph->GetSelectedPen() < 0 || DragStart)
        return;
    const std::optional<TCurveText> curve = ParseCurveText(QGuiApplication::clipboard()->text());
    if (!curve) {
        Prompter.Message("The clipboard holds no curve...");
        return;
    }
    Pen pen = Graph->GetPen(Graph->GetSelectedPen());
    PutCurve(*curve, pen);
    EditShownPen(TPenEdit::PasteCurve, pen);
}

void TTabletForm::ApplyToPens1Click() {
    const int index = Graph->GetSelectedPen();
    if (index < 0 || DragStart)
        return;
    if (!FormApplyCurve)
        FormApplyCurve = new TFormApplyCurve(this);
    FormApplyCurve->Open(Graph->GetPens(), index);
    if (Prompter.ShowModal(FormApplyCurve) != QDialog::Accepted)
        return;
    const Pen source = Graph->GetPen(index);
    std::vector<TPenHistory::Change> changes;
    for (int target : FormApplyCurve->CheckedPens()) {
        TPenHistory::Change change{target, Graph->GetPen(target), Graph->GetPen(target)};
        CarryCurve(source, change.After);
        Graph->SetPen(target, change.After);
        changes.push_back(std::move(change));
    }
    History->RecordMany(TPenEdit::ApplyToPens, std::move(changes));
    Graph->ShowPen(index);
}

void TTabletForm::PresetChosen(const TCurvePreset& preset) {
    if (Graph->GetSelectedPen() < 0 || DragStart)
        return;
    Pen pen = Graph->GetPen(Graph->GetSelectedPen());
    PutPreset(preset, pen);
    EditShownPen(TPenEdit::CurvePreset, pen);
}
