// The start-up and memory baseline: a bare Qt Widgets program that shows one empty window of the main
// window's size and quits once it is on screen.
//
// Built a second time with NIB_WITH_CAPTION as a reference for the start-up figures, not a target: the same
// window with a single titled group box in the place of the main window's "Pressure Graph". It measures what
// the first caption costs any Qt program on this platform (loading the font configuration, the first font,
// the style's frame picture), which the empty baseline window never pays.

#include "bench/tools/ShowProbe.h"

#include <QApplication>
#include <QWidget>
#ifdef NIB_WITH_CAPTION
#include <QGroupBox>
#endif

#include <cstdio>

int main(int argc, char** argv) {
    const long long entered = ShowProbe::MonotonicNs();
    QApplication app(argc, argv);
    std::printf("main_ns=%lld\napp_ns=%lld\n", entered, ShowProbe::MonotonicNs());
    QWidget window;
    window.setWindowTitle("Nibwright");
    window.resize(713, 632);
#ifdef NIB_WITH_CAPTION
    auto* box = new QGroupBox("Pressure Graph", &window);
    box->setGeometry(8, 8, 697, 569);
#endif
    new ShowProbe(&window);
    window.show();
    return app.exec();
}
