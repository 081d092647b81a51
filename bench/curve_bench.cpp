// Curves carried between pens, on a file of at least 1,000 pens: a paste onto the shown pen, and the curve
// put on every pen of the shown pen's name through "Apply Curve to Pens...", each timed from the command
// until the window has repainted. The baseline of the same run is the drag path on the same window: a
// mouse move delivered to the graph image while the middle control point is held.

#include "bench/BenchInputs.h"
#include "bench/BenchReport.h"
#include "bench/BenchStats.h"
#include "bench/BenchWindow.h"
#include "data/CurveTransfer.h"
#include "graph/DrawClass.h"
#include "tests/support/Platform_fake.h"
#include "tests/support/ScriptedPrompter.h"
#include "ui/Application.h"
#include "ui/Form_ApplyCurve.h"
#include "ui/Form_Tablet.h"
#include "ui/GraphImage.h"
#include "ui/Resources.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPushButton>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <vector>

namespace {

constexpr int PenCount = 1000;

class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) : QObject(widget) { widget->installEventFilter(this); }
    long long Paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++Paints;
        return QObject::eventFilter(watched, event);
    }
};

// An XML file of the generator's kind with at least PenCount pens, half of them named "Tip".
QByteArray ManyPens() {
    bench::Generated g = bench::MakeXmlPreferences(bench::MB1);
    if (g.Pens < PenCount)
        g = bench::MakeXmlPreferences(bench::MB1 * PenCount / g.Pens * 11 / 10);
    return g.Bytes;
}

struct Window : bench::BenchWindow {
    Window() : BenchWindow(ManyPens()) {}
    bool Ready(benchmark::State& state) const {
        TDrawClass* graph = TabletForm->GetGraph();
        if (!graph || graph->GetSelectedPen() < 0 || graph->GetPens().size() < size_t(PenCount)) {
            state.SkipWithError("the window did not load the generated file");
            return false;
        }
        return true;
    }
};

void SendMouse(QWidget* target, QEvent::Type type, QPoint pos, Qt::MouseButtons buttons) {
    const QPointF local(pos);
    const QPointF global(target->mapToGlobal(pos));
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, local, local, global, button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// Times one command until the graph image has repainted what it changed.
class CommandTimer {
public:
    explicit CommandTimer(QWidget* image) : Counter(image) {}

    template <typename Run> void Time(benchmark::State& state, Run&& run) {
        const long long before = Counter.Paints;
        const auto t0 = std::chrono::steady_clock::now();
        run();
        QApplication::sendPostedEvents();
        QElapsedTimer wait;
        wait.start();
        while (Counter.Paints == before && wait.elapsed() < 1000)
            QApplication::processEvents(QEventLoop::AllEvents, 1);
        if (Counter.Paints == before)
            ++Missed;
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        state.SetIterationTime(seconds);
        Us.push_back(seconds * 1e6);
    }

    void Report(benchmark::State& state) const {
        if (Missed)
            state.SkipWithError("a command was not followed by a repaint");
        state.counters["p50_us"] = bench::Quantile(Us, 0.5);
        state.counters["p99_us"] = bench::Quantile(Us, 0.99);
    }

private:
    PaintCounter Counter;
    std::vector<double> Us;
    long long Missed = 0;
};

void Drag(benchmark::State& state) {
    Window w;
    if (!w.Ready(state))
        return;
    TGraphImage* image = TabletForm->Image;
    const int size = image->width();
    const int m = GraphMargin;
    const QPoint middle(m + (size - 2 * m) / 2, m + (size - 2 * m) / 2);
    SendMouse(image, QEvent::MouseButtonPress, middle, Qt::LeftButton);
    CommandTimer timer(image);
    long long moves = 0;
    const double radius = (size - 2 * m) / 4.0;
    for (auto _ : state) {
        const double a = static_cast<double>(moves++ % 360) * 3.14159265358979 / 180.0;
        const QPoint p(middle.x() + static_cast<int>(std::lround(radius * std::cos(a))),
                       middle.y() + static_cast<int>(std::lround(radius * std::sin(a))));
        timer.Time(state, [&] { SendMouse(image, QEvent::MouseMove, p, Qt::LeftButton); });
    }
    SendMouse(image, QEvent::MouseButtonRelease, middle, Qt::NoButton);
    timer.Report(state);
}

// Two pens of another resolution, so that every paste changes the shown pen and rescales its values.
QString Clip(int k) {
    Pen pen;
    pen.ButtonName = "Tip";
    pen.PressureResolution = 2047;
    pen.P2X = k % 2 ? 1500 : 500;
    pen.P2Y = k % 2 ? 500 : 1500;
    pen.P3X = pen.P3Y = 2047;
    pen.UpperThreshold = 2000;
    pen.LowerThreshold = 40;
    return QString::fromUtf8(PenJsonText(pen));
}

void Paste(benchmark::State& state) {
    Window w;
    if (!w.Ready(state))
        return;
    CommandTimer timer(TabletForm->Image);
    long long k = 0;
    for (auto _ : state) {
        QGuiApplication::clipboard()->setText(Clip(int(k++)));
        timer.Time(state, [] { TabletForm->PasteCurve1Click(); });
    }
    timer.Report(state);
}

void ApplySameName(benchmark::State& state) {
    Window w;
    if (!w.Ready(state))
        return;
    CommandTimer timer(TabletForm->Image);
    long long k = 0;
    for (auto _ : state) {
        // Untimed: a new curve on the shown pen, so that every run puts a changed curve on the others.
        QGuiApplication::clipboard()->setText(Clip(int(k++)));
        TabletForm->PasteCurve1Click();
        QApplication::processEvents();
        w.Prompter.Modals.push_back([](QDialog* dialog) {
            auto* form = static_cast<TFormApplyCurve*>(dialog);
            form->SameName->click();
            return int(QDialog::Accepted);
        });
        timer.Time(state, [] { TabletForm->ApplyToPens1Click(); });
    }
    timer.Report(state);
}

} // namespace

int main(int argc, char** argv) {
    bench::UseOffscreenUnlessChosen();
    TNibApplication app(argc, argv);
    NibInitResources();
    const auto add = [](const char* name, void (*fn)(benchmark::State&), int iterations) {
        benchmark::RegisterBenchmark(name, fn)
            ->UseManualTime()
            ->Iterations(iterations)
            ->Repetitions(1)
            ->Unit(benchmark::kMicrosecond);
    };
    add("Drag/1000pens", Drag, 1000);
    add("Paste/1000pens", Paste, 200);
    add("ApplySameName/1000pens", ApplySameName, 30);
    return bench::RunBenchmarks(argc, argv, [](bench::Summary& s) {
        s.Limit("paste, 1000 pens, median", "Paste/1000pens", "p50_us", 50000, "Drag/1000pens");
        s.Limit("paste, 1000 pens, 99th pct", "Paste/1000pens", "p99_us", 50000, "Drag/1000pens");
        s.Limit("apply to same name, median", "ApplySameName/1000pens", "p50_us", 50000, "Drag/1000pens");
        s.Limit("apply to same name, 99th pct", "ApplySameName/1000pens", "p99_us", 50000, "Drag/1000pens");
    });
}
