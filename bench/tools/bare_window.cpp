// The start-up and memory baseline: a bare Qt Widgets program that shows one empty window of the main
// window's size and quits once it is on screen.

#include "bench/tools/ShowProbe.h"

#include <QApplication>
#include <QWidget>

#include <cstdio>

int main(int argc, char** argv) {
    const long long entered = ShowProbe::MonotonicNs();
    QApplication app(argc, argv);
    std::printf("main_ns=%lld\napp_ns=%lld\n", entered, ShowProbe::MonotonicNs());
    QWidget window;
    window.setWindowTitle("Nibwright");
    window.resize(713, 632);
    new ShowProbe(&window);
    window.show();
    return app.exec();
}
