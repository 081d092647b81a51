#include "GraphFixture.h"

#include <memory>

void EnsureGuiApp() {
    static int argc = 1;
    static char name[] = "test_graph";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QGuiApplication> app;
    if (!QCoreApplication::instance())
        app = std::make_unique<QGuiApplication>(argc, argv);
}
