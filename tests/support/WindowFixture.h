#pragma once
// The main window as the user meets it: a scratch world with driver preference files in the
// application-data folder, the five windows created as at program start, the scripted prompter answering
// the questions and dialogs, and readers for the window's labels, control states, the files on disk and the
// pens the graph holds. Dated backups are named by a fixed clock, so tests can name the files they expect;
// backups written in the same second take the numbered names the handler gives them.

#include "support/PreferenceFiles.h"
#include "support/ScriptedPrompter.h"
#include "support/TestEnv.h"
#include "support/Widgets.h"

#include <QAction>
#include <QByteArray>
#include <QDateTime>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

class TGraphImage;
class TTabletForm;

// Readable failure output for Qt texts.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << '[';
    for (int i = 0; i < l.size(); ++i)
        *os << (i ? ", \"" : "\"") << l[i].toStdString() << '"';
    *os << ']';
}

// A file's bytes as a string, so that a failing comparison prints them; "<missing>" when there is none.
std::string Bytes(const QString& path);
inline std::string Str(const QByteArray& b) {
    return b.toStdString();
}

// The five lines the listing gives one pen (the fifth is empty).
QStringList PenLines(const char* name, const char* curve, const char* upper, const char* lower);
// Drops the empty lines at the end.
QStringList Trimmed(QStringList lines);
// The listing of the two pens of StandardXml as read (names as the XML format gives them).
QStringList StandardListing();

// The enabled states that the window's file states switch: Apply, Reset, the two dialog buttons, the image,
// the pen list, the menu entries "&Save", "C&reate Backup Point" and "R&estore Backup Point", the three
// limiter boxes together, "Auto-detect service" and the service list.
struct WindowState {
    bool Apply, Reset, Info, Editor, Image, Pens, Save, CreatePoint, RestorePoint, Limits, Service,
        ServiceBox;
    bool operator==(const WindowState&) const = default;
};
void PrintTo(const WindowState& s, std::ostream* os);

// A default preference file, a file from elsewhere, and no usable file, with auto-detection on.
inline constexpr WindowState DefaultFileState{true, true, true, true, true, true,
                                              true, true, true, true, true, false};
inline constexpr WindowState OtherFileState{false, true,  true,  true, true, true,
                                            true,  false, false, true, true, false};
inline constexpr WindowState NoFileState{false, false, false, false, false, false,
                                         false, false, false, false, false, false};

// --- The window under test --------------------------------------------------------------------------------

class CommandTest : public ::testing::Test {
protected:
    CommandTest();
    ~CommandTest() override;
    void TearDown() override;

    // Creates the five windows (the main window reads its settings now) without showing them.
    void Create();
    // Creates the five windows and shows the main window, which loads its first file.
    void Start();
    // Writes `bytes` as Wacom_Tablet.dat and starts on it.
    void StartOnWacom(const QByteArray& bytes) {
        Env.Write(Env.WacomFile(), bytes);
        Start();
    }
    // Destroys the windows (the main window writes its settings on the way out).
    void Stop();

    TTabletForm* Window() const;
    QWidget* WindowWidget() const;
    // The control of the main window with that designer name; fails the test when there is none.
    template <class T = QWidget> T* Ctl(const char* name) const { return Child<T>(WindowWidget(), name); }
    QAction* Act(const char* name) const;
    // Triggers a menu entry when it is enabled; returns whether it was.
    bool Trigger(const char* name);
    // Clicks a button or check box with the mouse; a disabled control takes no click.
    void Click(const char* name);

    WindowState States() const;
    QString Status() const;
    QStringList PenNames() const;
    int PenIndex() const;
    void SelectPen(int index);
    // The texts of LabelOP, LabelIP, LabelPX, LabelPY and the caption of GroupBox3, in that order.
    QStringList Labels() const;
    // The listing that "Show Current Values" shows for the graph's pens (empty when the button is disabled).
    QString Listing();
    // The listing as lines, without the empty line that closes it.
    QStringList ListingLines();
    // Opens the pen editor through "Pen Editor"; `drive` works the dialog and returns its result.
    void EditPens(const std::function<int(QDialog*)>& drive);

    TGraphImage* Image() const;
    QImage Picture() const;
    void Press(QPoint at, Qt::MouseButton button = Qt::LeftButton);
    void Move(QPoint to);
    void Release(QPoint at, Qt::MouseButton button = Qt::LeftButton);
    // Press, one move and release, as a user's short drag.
    void Drag(QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton);

    // Dated backups are named by this clock; it starts at 2026-03-15 14:05:09.
    void ClockAt(const QDateTime& when) { Now = when; }
    void ClockForward(int seconds) { Now = Now.addSecs(seconds); }

    // Unticks "Auto-detect service" and picks a service row, so that the restart is visible whatever the
    // path.
    void ChooseService(int row);

    const std::vector<FakePlatform::Start>& Starts() { return Env.Fake().Starts; }
    // The lines of Nibwright.ini, without line ends.
    QStringList SettingsLines() const;
    // The questions asked so far.
    std::vector<ScriptedPrompter::Asked> Questions() const { return Prompter.OfKind("question"); }
    void Answer(int answer) { Prompter.Answers.push_back(answer); }

    TestEnv Env;
    ScriptedPrompter Prompter;

private:
    bool Started = false;
    QDateTime Now;
    Qt::MouseButtons Held = Qt::NoButton;
};

// Pixels on the 500-pixel graph: the middle point of StandardXml's eraser (P2X 512, P2Y 512, which reads
// back as Y 511), and a place to drag it to (X 619, Y 619).
inline const QPoint EraserMiddle(250, 250);
inline const QPoint Target(300, 200);

// Backup dates of the fixed clock, as the dated backup names write them.
inline constexpr const char* FirstBackupName = "Pen_Tablet_03-15-2026_14-05-09.bak";
