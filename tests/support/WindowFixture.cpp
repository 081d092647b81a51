#include "WindowFixture.h"

#include "data/Data_fileClass.h"
#include "ui/Application.h"
#include "ui/Form_Info.h"
#include "ui/Form_Tablet.h"
#include "ui/GraphImage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTest>

std::string Bytes(const QString& path) {
    if (!TestEnv::Exists(path))
        return "<missing>";
    return TestEnv::Read(path).toStdString();
}

QStringList PenLines(const char* name, const char* curve, const char* upper, const char* lower) {
    return {QString("Pen internal name - ") + name, QString("PressureCurveControlPoint ") + curve,
            QString("UpperPressureThreshold ") + upper, QString("LowerPressureThreshold ") + lower,
            QString()};
}

QStringList Trimmed(QStringList lines) {
    while (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

QStringList StandardListing() {
    return Trimmed(PenLines("Tip", "10 0 400 600 1000 1023", "900", "30") +
                   PenLines("Eraser", "0 0 512 512 1023 1023", "1000", "20"));
}

CommandTest::CommandTest() : Now(QDate(2026, 3, 15), QTime(14, 5, 9)) {
    TFileHandler::SetClock([this] { return Now; });
}

CommandTest::~CommandTest() {
    if (Started)
        Stop();
    TFileHandler::SetClock(nullptr);
}

void CommandTest::TearDown() {
    if (Started)
        Stop();
}

void CommandTest::Create() {
    ASSERT_FALSE(Started);
    if (auto* app = qobject_cast<TNibApplication*>(qApp))
        app->SetPrompter(&Prompter);
    CreateForms(Prompter);
    Started = true;
    ASSERT_NE(TabletForm, nullptr);
}

void CommandTest::Start() {
    Create();
    TabletForm->show();
    QApplication::processEvents();
}

void CommandTest::Stop() {
    Started = false;
    DestroyForms();
    QApplication::processEvents();
    if (auto* app = qobject_cast<TNibApplication*>(qApp))
        app->SetPrompter(nullptr);
}

TTabletForm* CommandTest::Window() const {
    return TabletForm;
}
QWidget* CommandTest::WindowWidget() const {
    return TabletForm;
}

QAction* CommandTest::Act(const char* name) const {
    auto* a = WindowWidget()->findChild<QAction*>(QString::fromLatin1(name));
    EXPECT_NE(a, nullptr) << "no menu entry " << name;
    return a;
}

bool CommandTest::Trigger(const char* name) {
    QAction* a = Act(name);
    if (!a || !a->isEnabled())
        return false;
    a->trigger();
    QApplication::processEvents();
    return true;
}

void CommandTest::Click(const char* name) {
    auto* b = Ctl<QAbstractButton>(name);
    if (!b)
        return;
    QTest::mouseClick(b, Qt::LeftButton);
    QApplication::processEvents();
}

void PrintTo(const WindowState& s, std::ostream* os) {
    *os << "{apply " << s.Apply << " reset " << s.Reset << " info " << s.Info << " editor " << s.Editor
        << " image " << s.Image << " pens " << s.Pens << " save " << s.Save << " create point "
        << s.CreatePoint << " restore point " << s.RestorePoint << " limits " << s.Limits << " service "
        << s.Service << " service box " << s.ServiceBox << "}";
}

WindowState CommandTest::States() const {
    const auto on = [this](const char* name) { return Ctl<QWidget>(name)->isEnabled(); };
    return {on("BtApply"),
            on("BtReset"),
            on("BtGenerateinfo"),
            on("BtModifyValues"),
            on("Image"),
            on("ComboBox"),
            Act("Save1")->isEnabled(),
            Act("ManuallySetFirstRunBackup1")->isEnabled(),
            Act("Replace1")->isEnabled(),
            on("CBLimitP") && on("CbLimitMp") && on("CbLimitT"),
            on("CbService"),
            on("CBoxService")};
}

QString CommandTest::Status() const {
    auto* bar = Ctl<QStatusBar>("StatusBar");
    if (!bar)
        return QString();
    if (!bar->currentMessage().isEmpty())
        return bar->currentMessage();
    for (auto* label : bar->findChildren<QLabel*>())
        if (!label->text().isEmpty())
            return label->text();
    return QString();
}

QStringList CommandTest::PenNames() const {
    QStringList names;
    auto* box = Ctl<QComboBox>("ComboBox");
    for (int i = 0; box && i < box->count(); ++i)
        names << box->itemText(i);
    return names;
}

int CommandTest::PenIndex() const {
    auto* box = Ctl<QComboBox>("ComboBox");
    return box ? box->currentIndex() : -2;
}

void CommandTest::SelectPen(int index) {
    auto* box = Ctl<QComboBox>("ComboBox");
    ASSERT_NE(box, nullptr);
    // As the user picks an entry: the list's activation and change signals both fire.
    box->setCurrentIndex(index);
    emit box->activated(index);
    QApplication::processEvents();
}

QStringList CommandTest::Labels() const {
    QStringList out;
    for (const char* name : {"LabelOP", "LabelIP", "LabelPX", "LabelPY"}) {
        auto* l = Ctl<QLabel>(name);
        out << (l ? l->text() : QString("?"));
    }
    auto* g = Ctl<QGroupBox>("GroupBox3");
    out << (g ? g->title() : QString("?"));
    return out;
}

QString CommandTest::Listing() {
    auto* button = Ctl<QAbstractButton>("BtGenerateinfo");
    if (!button || !button->isEnabled())
        return QString();
    QString text;
    bool shown = false;
    Prompter.Modals.push_back([&](QDialog* d) {
        shown = true;
        EXPECT_EQ(d, static_cast<QDialog*>(FormInfo));
        text = FormInfo->Memo()->toPlainText();
        return 1;
    });
    Click("BtGenerateinfo");
    EXPECT_TRUE(shown) << "Show Current Values did not show the information window";
    if (!shown)
        Prompter.Modals.pop_back();
    return text;
}

QStringList CommandTest::ListingLines() {
    return Trimmed(Listing().split('\n'));
}

void CommandTest::EditPens(const std::function<int(QDialog*)>& drive) {
    auto* button = Ctl<QAbstractButton>("BtModifyValues");
    ASSERT_TRUE(button && button->isEnabled());
    bool shown = false;
    Prompter.Modals.push_back([&](QDialog* d) {
        shown = true;
        return drive(d);
    });
    Click("BtModifyValues");
    EXPECT_TRUE(shown) << "Pen Editor did not show the editor";
    if (!shown)
        Prompter.Modals.pop_back();
}

TGraphImage* CommandTest::Image() const {
    return Ctl<TGraphImage>("Image");
}
QImage CommandTest::Picture() const {
    auto* image = Image();
    return image ? image->Image().copy() : QImage();
}

void CommandTest::Press(QPoint at, Qt::MouseButton button) {
    Held |= button;
    QTest::mousePress(Image(), button, Qt::NoModifier, at);
    QApplication::processEvents();
}

void CommandTest::Move(QPoint to) {
    if (Held != Qt::NoButton) {
        QTest::mouseMove(Image(), to);
    } else {
        // A move without a button, as the pointer passes over the image; it reaches the graph only when the
        // image tracks the mouse, as it must for the hover texts.
        QWidget* image = Image();
        QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(image->mapToGlobal(to)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(image, &move);
    }
    QApplication::processEvents();
}

void CommandTest::Release(QPoint at, Qt::MouseButton button) {
    Held &= ~Qt::MouseButtons(button);
    QTest::mouseRelease(Image(), button, Qt::NoModifier, at);
    QApplication::processEvents();
}

void CommandTest::Drag(QPoint from, QPoint to, Qt::MouseButton button) {
    Move(from);
    Press(from, button);
    Move(to);
    Release(to, button);
}

QStringList CommandTest::SettingsLines() const {
    QString text = QString::fromLatin1(TestEnv::Read(Env.SettingsFile()));
    text.replace("\r\n", "\n");
    return Trimmed(text.split('\n'));
}

void CommandTest::ChooseService(int row) {
    Click("CbService");
    ASSERT_FALSE(Ctl<QAbstractButton>("CbService")->isChecked());
    Ctl<QComboBox>("CBoxService")->setCurrentIndex(row);
}
