#include "GraphFixture.h"

#include <memory>

namespace {

// One application object for the whole test program (text rendering needs it), made before the first
// test and destroyed after the last, before the static destructors run.
class GuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "test_graph";
        static char* argv[] = {name, nullptr};
        App = std::make_unique<QGuiApplication>(argc, argv);
    }
    void TearDown() override { App.reset(); }

private:
    std::unique_ptr<QGuiApplication> App;
};

[[maybe_unused]] ::testing::Environment* const GuiEnv =
    ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

} // namespace

void EnsureGuiApp() {
    // The environment above has made it; this only documents that a test depends on it.
    EXPECT_NE(QCoreApplication::instance(), nullptr);
}
