#pragma once
// The main window as the window benchmarks drive it: started on the fake platform in a temporary folder
// whose application-data folder holds the given preference file, shown, and torn down afterwards.

#include "bench/BenchInputs.h"
#include "tests/support/Platform_fake.h"
#include "tests/support/ScriptedPrompter.h"
#include "ui/Application.h"
#include "ui/Form_Tablet.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

namespace bench {

// The offscreen platform, unless the caller chose one (to watch a benchmark on a screen). Called first in
// main(), before the application reads it.
inline void UseOffscreenUnlessChosen() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

struct BenchWindow {
    QTemporaryDir Dir;
    FakePlatform Fake;
    ScriptedPrompter Prompter;
    explicit BenchWindow(const QByteArray& preferences) {
        const QString root = Dir.path();
        WriteInput(root + "/AppData/WTablet", "Wacom_Tablet.dat", preferences);
        QDir().mkpath(root + "/app");
        Fake.Env["APPDATA"] = (root + "/AppData").toStdString();
        Fake.ExePath = (root + "/app/nibwright").toStdString();
        SetPlatform(&Fake);
        CreateForms(Prompter);
        TabletForm->show();
        QApplication::processEvents();
    }
    ~BenchWindow() {
        DestroyForms();
        SetPlatform(nullptr);
    }
    BenchWindow(const BenchWindow&) = delete;
    BenchWindow& operator=(const BenchWindow&) = delete;
};

} // namespace bench
