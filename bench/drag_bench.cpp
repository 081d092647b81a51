// The drag path through the whole window: a mouse move delivered to the graph image ("Image") while the
// middle control point is held, timed until the window has repainted what the move changed (the image and
// the captions beside it). The program's own main window runs on the offscreen platform with a 1 MB XML
// preference file loaded, at 500 x 500 (the big layout) and 300 x 300 (the small one). Every move is timed
// on its own, so the figures are the median and the 99th percentile of single moves.
//
// Beside it, measured against it in the same run: a tablet move sent to the Pressure Test window's drawing
// area while the pen is down, timed until the area has repainted the stroke's new segment and the graph the
// moved pressure marker; and the same with the edited curve felt (an unapplied edit, the force worked out
// through the applied curve), against the move without it.

#include "bench/BenchInputs.h"
#include "bench/BenchReport.h"
#include "bench/BenchStats.h"
#include "bench/BenchWindow.h"
#include "graph/DrawClass.h"
#include "tests/support/Platform_fake.h"
#include "tests/support/ScriptedPrompter.h"
#include "ui/Application.h"
#include "ui/Form_PressureTest.h"
#include "ui/Form_Tablet.h"
#include "ui/GraphImage.h"
#include "ui/PressurePad.h"
#include "ui/Resources.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPointingDevice>
#include <QTabletEvent>
#include <QTemporaryDir>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <initializer_list>
#include <memory>
#include <vector>

namespace {

// Counts the paint events of a widget and the pixels they covered.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) : QObject(widget) { widget->installEventFilter(this); }
    long long Paints = 0;
    long long Pixels = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++Paints;
            for (const QRect& r : static_cast<QPaintEvent*>(event)->region())
                Pixels += static_cast<long long>(r.width()) * r.height();
        }
        return QObject::eventFilter(watched, event);
    }
};

struct Window : bench::BenchWindow {
    Window() : BenchWindow(bench::MakeXmlPreferences(bench::MB1).Bytes) {}
};

double ThreadCpuUs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e6 + static_cast<double>(ts.tv_nsec) / 1e3;
}

void SendMouse(QWidget* target, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    const QPointF local(pos);
    const QPointF global(target->mapToGlobal(pos));
    QMouseEvent event(type, local, local, global, button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// Delivers what the move left to do: the repaint the window scheduled for it. Waits (up to a second) in
// the event loop if the platform paces the repaint rather than posting it.
bool RepaintPending(PaintCounter& counter, long long before) {
    QApplication::sendPostedEvents();
    if (counter.Paints > before)
        return true;
    QElapsedTimer wait;
    wait.start();
    while (counter.Paints == before && wait.elapsed() < 1000)
        QApplication::processEvents(QEventLoop::AllEvents, 1);
    return counter.Paints > before;
}

// The timings of single moves: each runs from sending the event until every watched widget has repainted.
class MoveTimer {
public:
    explicit MoveTimer(benchmark::State& state) {
        Us.reserve(static_cast<size_t>(state.max_iterations));
        CpuUs.reserve(static_cast<size_t>(state.max_iterations));
    }

    template <typename Send>
    void Time(benchmark::State& state, std::initializer_list<PaintCounter*> watched, Send&& send) {
        std::vector<long long> before;
        for (PaintCounter* c : watched)
            before.push_back(c->Paints);
        const double c0 = ThreadCpuUs();
        const auto t0 = std::chrono::steady_clock::now();
        send();
        size_t i = 0;
        for (PaintCounter* c : watched)
            if (!RepaintPending(*c, before[i++]))
                ++Missed;
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        state.SetIterationTime(seconds);
        Us.push_back(seconds * 1e6);
        CpuUs.push_back(ThreadCpuUs() - c0);
    }

    void Report(benchmark::State& state) const {
        if (Missed)
            state.SkipWithError("a move was not followed by a repaint");
        state.counters["p50_us"] = bench::Quantile(Us, 0.5);
        state.counters["p99_us"] = bench::Quantile(Us, 0.99);
        state.counters["max_us"] = bench::Quantile(Us, 1.0);
        // The same on the thread's own processor time: what the program spends, without the time the
        // machine gave to other processes in the middle of a move.
        state.counters["cpu_p50_us"] = bench::Quantile(CpuUs, 0.5);
        state.counters["cpu_p99_us"] = bench::Quantile(CpuUs, 0.99);
    }

private:
    std::vector<double> Us;
    std::vector<double> CpuUs;
    long long Missed = 0;
};

bool PenShown() {
    TGraphImage* image = TabletForm->Image;
    return image && image->isEnabled() && TabletForm->GetGraph() &&
           TabletForm->GetGraph()->GetSelectedPen() >= 0;
}

void Drag(benchmark::State& state, bool small) {
    Window w;
    if (small)
        TabletForm->SetSmallLayout();
    TGraphImage* image = TabletForm->Image;
    if (!PenShown()) {
        state.SkipWithError("the window did not load the generated file");
        return;
    }
    QApplication::processEvents();
    PaintCounter counter(image);
    const int size = image->width();
    const int m = 12;
    // The generated file's last pen (the one shown) has its middle point in the middle of the graph.
    const QPoint middle(m + (size - 2 * m) / 2, m + (size - 2 * m) / 2);
    SendMouse(image, QEvent::MouseButtonPress, middle, Qt::LeftButton, Qt::LeftButton);

    MoveTimer timer(state);
    long long moves = 0;
    const long long pixelsBefore = counter.Pixels;
    // A circle around the graph's middle, one degree a move: every move changes the curve.
    const double radius = (size - 2 * m) / 4.0;
    for (auto _ : state) {
        const double a = static_cast<double>(moves % 360) * 3.14159265358979 / 180.0;
        const QPoint p(middle.x() + static_cast<int>(std::lround(radius * std::cos(a))),
                       middle.y() + static_cast<int>(std::lround(radius * std::sin(a))));
        timer.Time(state, {&counter},
                   [&] { SendMouse(image, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton); });
        ++moves;
    }
    SendMouse(image, QEvent::MouseButtonRelease, middle, Qt::LeftButton, Qt::NoButton);
    QApplication::processEvents();

    timer.Report(state);
    // The share of the image repainted per move: the whole image each time would mean the changed
    // rectangle is not used.
    state.counters["repaint_share"] = moves ? static_cast<double>(counter.Pixels - pixelsBefore) /
                                                  (static_cast<double>(moves) * size * size)
                                            : 0;
}

// A tablet event as the platform delivers it: to the window holding the area, which hands it on.
void SendTablet(QWidget* area, const QPointingDevice* pen, QEvent::Type type, QPointF at, double pressure) {
    QWidget* window = area->window();
    const QPointF global = QPointF(area->mapToGlobal(QPoint(0, 0))) + at;
    const QPointF local = global - QPointF(window->mapToGlobal(QPoint(0, 0)));
    const Qt::MouseButton button = type == QEvent::TabletMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons buttons = type == QEvent::TabletRelease ? Qt::NoButton : Qt::LeftButton;
    QTabletEvent event(type, pen, local, global, pressure, 0, 0, 0, 0, 0, Qt::NoModifier, button, buttons);
    QApplication::sendEvent(window->windowHandle(), &event);
}

// With `preview` the shown pen has an unapplied edit, the pressure received is read through the applied
// curve and the strokes feel the edited one: every move works out the force and the edited output, and the
// marker is placed by the force. Without it the box is unchecked and the pen unedited, the move as before.
void PressureMove(benchmark::State& state, bool preview) {
    Window w;
    if (!PenShown()) {
        state.SkipWithError("the window did not load the generated file");
        return;
    }
    TabletForm->PressureTest1Click();
    QApplication::processEvents();
    TFormPressureTest* form = TabletForm->GetPressureTest();
    form->CBoxReceived->setCurrentIndex(TFormPressureTest::ReceivedThroughCurve);
    form->CbFeel->setChecked(preview);
    if (preview) {
        TDrawClass* graph = TabletForm->GetGraph();
        const int index = graph->GetSelectedPen();
        Pen edited = graph->GetPen(index);
        edited.P2X = edited.PressureResolution * 3 / 4; // a soft curve
        edited.P2Y = edited.PressureResolution / 4;
        graph->SetPen(index, edited);
        graph->ShowPen(index);
    }
    TPressurePad* area = form->Pad;
    const QPointingDevice pen(QStringLiteral("Bench stylus"), 7800, QInputDevice::DeviceType::Stylus,
                              QPointingDevice::PointerType::Pen,
                              QInputDevice::Capability::Position | QInputDevice::Capability::Pressure, 1, 2);
    PaintCounter graphPaints(TabletForm->Image);
    PaintCounter areaPaints(area);
    const QPointF centre(area->width() / 2.0, area->height() / 2.0);
    SendTablet(area, &pen, QEvent::TabletPress, centre, 0.2);
    QApplication::processEvents();

    MoveTimer timer(state);
    long long moves = 0;
    // Circles around the area's middle, two degrees a move, as a quick pen draws; the pressure sweeps the
    // scale in steps of several output columns, so that the marker moves at every event.
    const double radius = area->height() / 3.0;
    for (auto _ : state) {
        const double a = static_cast<double>(moves % 180) * 2 * 3.14159265358979 / 180.0;
        const QPointF p(centre.x() + radius * std::cos(a), centre.y() + radius * std::sin(a));
        const double pressure = 0.1 + 0.8 * static_cast<double>(moves % 100) / 100.0;
        timer.Time(state, {&areaPaints, &graphPaints},
                   [&] { SendTablet(area, &pen, QEvent::TabletMove, p, pressure); });
        ++moves;
    }
    SendTablet(area, &pen, QEvent::TabletRelease, centre, 0);
    QApplication::processEvents();
    timer.Report(state);
}

} // namespace

int main(int argc, char** argv) {
    bench::UseOffscreenUnlessChosen();
    TNibApplication app(argc, argv);
    NibInitResources();
    benchmark::RegisterBenchmark("Drag/500", Drag, false)
        ->UseManualTime()
        ->Iterations(3000)
        ->Repetitions(1)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Drag/300", Drag, true)
        ->UseManualTime()
        ->Iterations(3000)
        ->Repetitions(1)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("PressureTest/500", PressureMove, false)
        ->UseManualTime()
        ->Iterations(3000)
        ->Repetitions(1)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("PressureTest/500/preview", PressureMove, true)
        ->UseManualTime()
        ->Iterations(3000)
        ->Repetitions(1)
        ->Unit(benchmark::kMicrosecond);
    return bench::RunBenchmarks(argc, argv, [](bench::Summary& s) {
        s.Limit("drag 500x500, median", "Drag/500", "p50_us", 300);
        s.Limit("drag 500x500, 99th percentile", "Drag/500", "p99_us", 1000);
        s.Limit("drag 500x500, median (cpu)", "Drag/500", "cpu_p50_us", 300);
        s.Limit("drag 500x500, 99th pct (cpu)", "Drag/500", "cpu_p99_us", 1000);
        s.Limit("drag 300x300, median", "Drag/300", "p50_us", 300);
        s.Limit("drag 300x300, 99th percentile", "Drag/300", "p99_us", 1000);
        s.Limit("pressure test move, median", "PressureTest/500", "p50_us", 300, "Drag/500");
        s.Limit("pressure test move, 99th pct", "PressureTest/500", "p99_us", 1000, "Drag/500");
        s.Limit("pressure test move, median (cpu)", "PressureTest/500", "cpu_p50_us", 300, "Drag/500");
        s.Limit("pressure test move, 99th pct (cpu)", "PressureTest/500", "cpu_p99_us", 1000, "Drag/500");
        s.Limit("pressure test move, preview, median", "PressureTest/500/preview", "p50_us", 300,
                "PressureTest/500");
        s.Limit("pressure test move, preview, 99th pct", "PressureTest/500/preview", "p99_us", 1000,
                "PressureTest/500");
        s.Limit("pressure test move, preview, median (cpu)", "PressureTest/500/preview", "cpu_p50_us", 300,
                "PressureTest/500");
        s.Limit("pressure test move, preview, 99th pct (cpu)", "PressureTest/500/preview", "cpu_p99_us", 1000,
                "PressureTest/500");
    });
}
