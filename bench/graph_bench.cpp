// The pressure graph's drawing costs at the two window layouts (500 and 300 pixels): one drag move of the
// middle point (erase the old figures, draw the new), a full ShowPen, and as the baseline the plain QPainter
// way of drawing the curve once: a 252-vertex polyline with a 3-pixel pen in the inverting mode. The big
// layout is timed again on a screen of device pixel ratio 2 (1000 by 1000 device pixels), the baseline
// drawn on an image of the same device size. And the curve read as a mapping, force to output and back,
// against reading it off the drawn polyline.

#include "bench/BenchReport.h"
#include "graph/CurveMap.h"
#include "graph/DrawClass.h"
#include "graph/PolylineRaster.h"

#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

class BenchSurface : public IGraphSurface {
public:
    BenchSurface(int size, double ratio) : Img(DeviceImage(QSize(size, size), ratio)) {}
    QImage& Image() override { return Img; }
    void SetCursor(Qt::CursorShape) override {}
    void Changed(const QRect& rect) override { Dirty |= rect; }
    QImage Img;
    QRect Dirty;
};

Pen BenchPen() {
    Pen p;
    p.ButtonName = "Tip";
    p.PressureResolution = 1023;
    p.P2X = 300;
    p.P2Y = 700;
    p.P3X = 1023;
    p.P3Y = 1023;
    p.UpperThreshold = 20;
    p.LowerThreshold = 10;
    return p;
}

// Pointer positions a drag of the middle point visits: a circle around the graph's centre, so every move
// changes the curve.
std::vector<QPoint> Path(int size) {
    std::vector<QPoint> path;
    const double r = size * 0.3;
    for (int i = 0; i < 64; ++i) {
        const double a = i * 2 * 3.14159265358979323846 / 64;
        path.emplace_back(int(size / 2 + r * std::cos(a)), int(size / 2 + r * std::sin(a)));
    }
    return path;
}

// Sets the per-iteration time as a counter in microseconds, for the absolute limit of the summary.
void MicrosPerIteration(benchmark::State& state) {
    state.counters["us"] = benchmark::Counter(double(state.iterations()) * 1e-6,
                                              benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void DragMove(benchmark::State& state, int size, double ratio) {
    BenchSurface surface(size, ratio);
    TDrawClass graph(surface, 0xFFFFFFFF);
    graph.SetPens({BenchPen()});
    graph.ShowPen(0);
    const QPoint mid = graph.GetPoints()[1];
    graph.MouseDown(Qt::LeftButton, {}, mid.x(), mid.y());
    const auto path = Path(size);
    size_t i = 0;
    for (auto _ : state) {
        const QPoint p = path[i++ % path.size()];
        graph.MouseMove(Qt::LeftButton, {}, p.x(), p.y());
        benchmark::DoNotOptimize(surface.Img.constBits());
    }
    MicrosPerIteration(state);
}

void ShowPen(benchmark::State& state, int size, double ratio) {
    BenchSurface surface(size, ratio);
    TDrawClass graph(surface, 0xFFFFFFFF);
    graph.SetPens({BenchPen()});
    for (auto _ : state) {
        graph.ShowPen(0);
        benchmark::DoNotOptimize(surface.Img.constBits());
    }
    MicrosPerIteration(state);
}

// What drawing the curve once costs the plain way: QPainter on the image, 3-pixel red pen, inverting. On an
// image of a higher ratio QPainter scales the pen and the vertices to the device pixels.
void QPainterPolyline(benchmark::State& state, int size, double ratio) {
    BenchSurface surface(size, ratio);
    TDrawClass graph(surface, 0xFFFFFFFF);
    graph.SetPens({BenchPen()});
    graph.ShowPen(0);
    std::array<QPoint, 3> points = graph.GetPoints();
    std::vector<std::array<QPoint, CurveVertexCount>> curves;
    for (const QPoint& p : Path(size)) {
        points[1] = p;
        curves.push_back(CurveVertices(points));
    }
    size_t i = 0;
    for (auto _ : state) {
        const auto& v = curves[i++ % curves.size()];
        QPainter painter(&surface.Img);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
        painter.setPen(QPen(QColor(0xFF, 0, 0), 3));
        painter.setBrush(Qt::NoBrush);
        painter.drawPolyline(v.data(), int(v.size()));
        painter.end();
        benchmark::DoNotOptimize(surface.Img.constBits());
    }
    MicrosPerIteration(state);
}

// The curve read as a mapping, one force -> output or output -> force a time, over a sweep of values on a
// bent curve; beside it, as the baseline, reading the output off the drawn 252-vertex polyline.
const TCurveMap& BenchMap() {
    static const TCurveMap map(BenchPen());
    return map;
}

void MapOutputAt(benchmark::State& state) {
    double f = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(BenchMap().OutputAt(f));
        f = f >= 1023 ? 0 : f + 7.25;
    }
    MicrosPerIteration(state);
}

void MapForceAt(benchmark::State& state) {
    double o = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(BenchMap().ForceAt(o));
        o = o >= 1023 ? 0 : o + 7.25;
    }
    MicrosPerIteration(state);
}

void PolylineOutputAt(benchmark::State& state) {
    const Pen p = BenchPen();
    const std::array<QPoint, 3> points{QPoint(p.P1X, p.P1Y), QPoint(p.P2X, p.P2Y), QPoint(p.P3X, p.P3Y)};
    const std::array<QPointF, CurveVertexCount> samples = CurveSamples(points);
    double f = 0;
    for (auto _ : state) {
        // The first segment whose forces span f, interpolated.
        double out = samples.back().x();
        for (size_t i = 0; i + 1 < samples.size(); ++i) {
            const QPointF a = samples[i], b = samples[i + 1];
            if (f >= std::min(a.y(), b.y()) && f <= std::max(a.y(), b.y())) {
                out = a.y() == b.y() ? a.x() : a.x() + (f - a.y()) / (b.y() - a.y()) * (b.x() - a.x());
                break;
            }
        }
        benchmark::DoNotOptimize(out);
        f = f >= 1023 ? 0 : f + 7.25;
    }
    MicrosPerIteration(state);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv); // fonts for the corner labels

    struct Case {
        int Size;
        double Ratio;
        const char* Name;
    };
    for (const Case& c : {Case{500, 1.0, "500"}, Case{300, 1.0, "300"}, Case{500, 2.0, "500@2x"}}) {
        const std::string s = c.Name;
        benchmark::RegisterBenchmark(("DragMove/" + s).c_str(), DragMove, c.Size, c.Ratio)
            ->Unit(benchmark::kMicrosecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("ShowPen/" + s).c_str(), ShowPen, c.Size, c.Ratio)
            ->Unit(benchmark::kMicrosecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("QPainterPolyline/" + s).c_str(), QPainterPolyline, c.Size, c.Ratio)
            ->Unit(benchmark::kMicrosecond)
            ->UseRealTime();
    }
    benchmark::RegisterBenchmark("CurveMap/OutputAt", MapOutputAt)->Unit(benchmark::kNanosecond);
    benchmark::RegisterBenchmark("CurveMap/ForceAt", MapForceAt)->Unit(benchmark::kNanosecond);
    benchmark::RegisterBenchmark("CurveMap/PolylineOutputAt", PolylineOutputAt)->Unit(benchmark::kNanosecond);
    return bench::RunBenchmarks(argc, argv, [](bench::Summary& summary) {
        summary.Limit("curve map, force -> output", "CurveMap/OutputAt", "us", 1,
                      "CurveMap/PolylineOutputAt");
        summary.Limit("curve map, output -> force", "CurveMap/ForceAt", "us", 1, "CurveMap/PolylineOutputAt");
        summary.Limit("drag move 500 px", "DragMove/500", "us", 150);
        summary.Ratio("drag move / QPainter polyline 500", "DragMove/500", "QPainterPolyline/500", 0.25);
        summary.Ratio("drag move / QPainter polyline 300", "DragMove/300", "QPainterPolyline/300", 0.25);
        summary.Limit("drag move 500 px at ratio 2", "DragMove/500@2x", "us", 150);
        summary.Ratio("drag move / QPainter polyline 500 at ratio 2", "DragMove/500@2x",
                      "QPainterPolyline/500@2x", 0.25);
        summary.Ratio("ShowPen at ratio 2 / at ratio 1, 500", "ShowPen/500@2x", "ShowPen/500", 4.0);
        summary.Info("ShowPen / QPainter polyline 500", "ShowPen/500", "QPainterPolyline/500");
        summary.Info("ShowPen / QPainter polyline 300", "ShowPen/300", "QPainterPolyline/300");
    });
}
