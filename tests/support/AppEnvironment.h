#pragma once
// One application object for a whole test program of the windows, made before the first test and destroyed
// after the last (left to the static destructors, Qt crashes at exit). It is the program's own application
// class, so that a failure escaping an event handler reaches the prompter's error box as in a real run.
// Each program registers it once:
//   [[maybe_unused]] const auto* const Registered = RegisterAppEnvironment("test_name");

#include "ui/Application.h"
#include "ui/Resources.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>
#include <string>

class AppEnvironment : public ::testing::Environment {
public:
    explicit AppEnvironment(const char* programName) : Name(programName) {}

    void SetUp() override {
        Argv[0] = Name.data();
        App = std::make_unique<TNibApplication>(Argc, Argv);
        QApplication::setApplicationName(QStringLiteral("Nibwright"));
        NibInitResources();
    }
    void TearDown() override { App.reset(); }

private:
    // QApplication keeps references to the argument count and vector: they live as long as it does.
    std::string Name;
    int Argc = 1;
    char* Argv[2] = {nullptr, nullptr};
    std::unique_ptr<TNibApplication> App;
};

inline ::testing::Environment* RegisterAppEnvironment(const char* programName) {
    return ::testing::AddGlobalTestEnvironment(new AppEnvironment(programName));
}
