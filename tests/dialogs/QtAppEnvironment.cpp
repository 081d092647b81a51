// One QApplication for the whole test program, made before the first test and destroyed after the last.

#include "ui/Resources.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace {

class QtAppEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "test_dialogs";
        static char* argv[] = {name, nullptr};
        App = new QApplication(argc, argv);
        NibInitResources();
    }
    void TearDown() override {
        delete App;
        App = nullptr;
    }

private:
    QApplication* App = nullptr;
};

[[maybe_unused]] const auto* const Registered = ::testing::AddGlobalTestEnvironment(new QtAppEnvironment);

} // namespace
