// One application object for the whole test program: the program's own, so that a failure escaping an
// event handler takes the same way as in the running program.

#include "ui/Application.h"
#include "ui/Resources.h"

#include <gtest/gtest.h>

namespace {

class AppEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "test_reliability";
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

[[maybe_unused]] const auto* const Registered = ::testing::AddGlobalTestEnvironment(new AppEnvironment);

} // namespace
