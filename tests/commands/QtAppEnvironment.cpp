// One application object for the whole test program, made before the first test and destroyed after the
// last. It is the program's own, so that a failure escaping a handler reaches the prompter's error box as
// in a real run.

#include "ui/Application.h"
#include "ui/Resources.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace {

class QtAppEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "test_commands";
        static char* argv[] = {name, nullptr};
        App = new TNibApplication(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Nibwright"));
        NibInitResources();
    }
    void TearDown() override {
        delete App;
        App = nullptr;
    }

private:
    TNibApplication* App = nullptr;
};

[[maybe_unused]] const auto* const Registered = ::testing::AddGlobalTestEnvironment(new QtAppEnvironment);

} // namespace
