#pragma once
// Shared set-up of the main-window tests: one application object for the program, a scratch world per test
// (tests/support/TestEnv.h), the scripted prompter, and sample preference files.

#include "support/ScriptedPrompter.h"
#include "support/TestEnv.h"

#include "ui/Form_Tablet.h"
#include "ui/GraphImage.h"

#include <QByteArray>
#include <QString>

#include <gtest/gtest.h>

#include <memory>

struct SamplePen {
    const char* Name;
    int Resolution;
    int P1X, P1Y, P2X, P2Y, P3X, P3Y;
    int Upper, Lower;
};

// An XML preference document with one pen element per pen (tip elements, the last one an eraser).
QByteArray XmlConfig(std::initializer_list<SamplePen> pens);
// A text preference file (header line first, then one block per pen), CR LF line ends.
QByteArray TextConfig(std::initializer_list<SamplePen> pens);

inline constexpr SamplePen TipPen{"Tip", 1023, 0, 0, 512, 512, 1023, 1023, 1000, 10};
inline constexpr SamplePen EraserPen{"Eraser", 1023, 0, 100, 400, 600, 1023, 900, 800, 20};

// The lines of a settings file, without line ends.
QStringList FileLines(const QString& path);

class MainWindowTest : public ::testing::Test {
protected:
    void TearDown() override;

    // Creates the five windows (the main window reads the settings now).
    void Create();
    // Creates the windows and shows the main window, which loads the first file.
    void Start();
    // Writes a default preference file (see WriteDefault) and starts on it.
    void StartOnDefault(int which, const QByteArray& bytes) {
        WriteDefault(which, bytes);
        Start();
    }
    // Destroys the windows (the main window writes the settings).
    void Stop();

    TTabletForm& W() { return *TabletForm; }
    QString DefaultPath(int which) const;
    // Writes a default preference file (0 Wacom, 1 Pen, 2 ISD).
    QString WriteDefault(int which, const QByteArray& bytes);
    // The names of the pen list's entries.
    QStringList PenList() const;

    TestEnv Env;
    ScriptedPrompter Prompter;
    bool Created = false;
};
