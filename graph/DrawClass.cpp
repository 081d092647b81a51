#include "graph/DrawClass.h"

#include "graph/CurveMap.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr QRgb White = 0xFFFFFF;
constexpr QRgb InnerGrid = 0xD0D0D0;
constexpr QRgb OuterGrid = 0x000000;
constexpr QRgb LabelColour = 0xA0A0A0;
constexpr QRgb CurveColour = 0xFF0000;
constexpr QRgb PointColour = 0x000000;
constexpr QRgb UpperColour = 0x008000;
constexpr QRgb LowerColour = 0x0000FF;
constexpr QRgb MarkerColour = 0xC000C0;

// The curve's pen, in pixels.
constexpr int CurvePenWidth = 3;
constexpr QRgb FocusColour = 0xFF8C00;

// Widest corner label, in pixels: "[1023,1023]" at the far corner stays clear of the grid's closing line.
constexpr int LabelRoom = 46;

// Pixel positions saturate here: far outside any image, yet differences of two still fit in 32 bits.
constexpr double PixelLimit = double(1 << 29);

// Circle outlines around a centre pixel: a control point (9 by 9, 2 pixels wide), a threshold handle
// (7 by 7, 2 pixels wide), and the corner marks (7 by 7, 1 pixel outline around a filled disc).
const TRingShape& PointRing() {
    static const TRingShape shape(2.5, 4.5);
    return shape;
}
const TRingShape& HandleRing() {
    static const TRingShape shape(1.5, 3.5);
    return shape;
}
const TRingShape& CornerRing() {
    static const TRingShape shape(2.5, 3.5);
    return shape;
}
const TRingShape& CornerDisc() {
    static const TRingShape shape(-1.0, 2.5);
    return shape;
}
// The pressure marker's ring where it meets the curve: 13 by 13 and 2 pixels wide, larger than a control
// point's, with the curve showing through its middle.
const TRingShape& MarkerRing() {
    static const TRingShape shape(4.5, 6.5);
    return shape;
}
// The keyboard's ring: 17 by 17, 2 pixels wide, clear of a control point's circle also on the diagonals.
const TRingShape& FocusRing() {
    static const TRingShape shape(6.0, 8.0);
    return shape;
}

// The nearest integer, halves to even (the default rounding mode).
double Round(double v) {
    return std::nearbyint(v);
}

int32_t SaturatePixel(double v) {
    if (std::isnan(v))
        return 0;
    if (v > PixelLimit)
        return int32_t(PixelLimit);
    if (v < -PixelLimit)
        return -int32_t(PixelLimit);
    return int32_t(v);
}

int32_t SaturateValue(double v) {
    if (std::isnan(v))
        return 0;
    if (v >= double(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (v <= double(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return int32_t(v);
}

// A 1-pixel line from `from` to `to` along one axis, the end pixel left out; returns what it painted.
QRect VerticalLine(QImage& image, int x, int from, int to, QRgb colour, TPaintMode mode) {
    if (to > from)
        return PaintVerticalLine(image, x, from, to - 1, colour, mode);
    if (to < from)
        return PaintVerticalLine(image, x, to + 1, from, colour, mode);
    return QRect();
}
QRect HorizontalLine(QImage& image, int y, int from, int to, QRgb colour, TPaintMode mode) {
    if (to > from)
        return PaintHorizontalLine(image, y, from, to - 1, colour, mode);
    if (to < from)
        return PaintHorizontalLine(image, y, to + 1, from, colour, mode);
    return QRect();
}

bool InZone(int X, int Y, int left, int right, int top, int bottom) {
    return left < X && X < right && top < Y && Y < bottom;
}

const char* const PointNames[3] = {"Lower Point", "Middle Point", "Upper Point"};

// The row at which the polyline first reaches the column, following it from its first vertex: on the first
// segment whose columns span it, interpolated along the segment (a vertical segment gives its first row).
std::optional<int> CurveRowAt(const std::array<QPoint, CurveVertexCount>& vertices, int column) {
    for (size_t i = 0; i + 1 < vertices.size(); ++i) {
        const QPoint a = vertices[i], b = vertices[i + 1];
        if (column < std::min(a.x(), b.x()) || column > std::max(a.x(), b.x()))
            continue;
        if (a.x() == b.x())
            return a.y();
        const double along = (double(column) - a.x()) / (double(b.x()) - a.x());
        return SaturatePixel(a.y() + Round(along * (double(b.y()) - a.y())));
    }
    return std::nullopt;
}

} // namespace

int32_t PressureValue(double pressure, int32_t R) {
    if (std::isnan(pressure))
        return 0;
    return SaturateValue(Round(std::clamp(pressure, 0.0, 1.0) * double(R)));
}

std::array<QPointF, CurveVertexCount> CurveSamples(const std::array<QPoint, 3>& points) {
    std::array<QPointF, CurveVertexCount> out;
    const double x0 = points[0].x(), y0 = points[0].y();
    const double x1 = points[1].x(), y1 = points[1].y();
    const double x2 = points[2].x(), y2 = points[2].y();
    int n = 0;
    out[n++] = QPointF(points[0]);
    for (double t = 0; t < 1 && n < CurveVertexCount - 1; t += 0.004) {
        const double a = (1 - t) * (1 - t);
        const double b = ((1 - t) * 2) * t;
        const double c = t * t;
        out[n++] = QPointF(a * x0 + b * x1 + c * x2, a * y0 + b * y1 + c * y2);
    }
    // The accumulated steps give exactly 250 samples; should they ever give fewer, the end point repeats.
    while (n < CurveVertexCount)
        out[n++] = QPointF(points[2]);
    return out;
}

std::array<QPoint, CurveVertexCount> CurveVertices(const std::array<QPoint, 3>& points) {
    const std::array<QPointF, CurveVertexCount> samples = CurveSamples(points);
    std::array<QPoint, CurveVertexCount> out;
    for (size_t i = 0; i < samples.size(); ++i)
        out[i] = QPoint(SaturatePixel(Round(samples[i].x())), SaturatePixel(Round(samples[i].y())));
    return out;
}

TDrawClass::TDrawClass(IGraphSurface& surface, QRgb background)
    : Image(surface), BackgroundColor(background) {
    Image.SetCursor(Qt::CrossCursor);
}

void TDrawClass::SetPens(const APen& pens) {
    Pens = pens;
}

Pen TDrawClass::GetPen(int index) const {
    if (index < 0 || index >= int(Pens.size()))
        return Pen{};
    return Pens[size_t(index)];
}

void TDrawClass::SetPen(int index, const Pen& pen) {
    if (index >= 0 && index < int(Pens.size()))
        Pens[size_t(index)] = pen;
}

const Pen* TDrawClass::ShownPen() const {
    if (SelectedPen < 0 || SelectedPen >= int32_t(Pens.size()))
        return nullptr;
    return &Pens[size_t(SelectedPen)];
}

bool TDrawClass::Drawable() const {
    const Pen* p = ShownPen();
    return p && p->PressureResolution > 0;
}

int32_t TDrawClass::ShownResolution() const {
    return Drawable() && Drawn == TDrawn::Pen ? ShownPen()->PressureResolution : 0;
}

// ---- mappings ------------------------------------------------------------------------------------------

QSize TDrawClass::Size() const {
    return LogicalSize(Image.Image());
}

int32_t TDrawClass::ValueToX(int32_t R, int32_t v) const {
    const int W = Size().width();
    if (v == 0 || R <= 0)
        return Margin;
    return SaturatePixel(Margin + Round(double(W - 2 * Margin) / (double(R) / double(v))));
}

int32_t TDrawClass::ValueToY(int32_t R, int32_t v) const {
    const int H = Size().height();
    if (v == 0 || R <= 0)
        return H - Margin;
    return SaturatePixel(H - Margin - Round(double(H - 2 * Margin) / (double(R) / double(v))));
}

int32_t TDrawClass::XToValue(int32_t R, int32_t x) const {
    const int W = Size().width();
    return SaturateValue(Round((double(x) - Margin) / double(W - 2 * Margin) * double(R)));
}

int32_t TDrawClass::YToValue(int32_t R, int32_t y) const {
    const int H = Size().height();
    return SaturateValue(double(R) - Round((double(y) - Margin) / double(H - 2 * Margin) * double(R)));
}

// ---- drawing -------------------------------------------------------------------------------------------

void TDrawClass::Report(const QRect& rect) {
    if (!rect.isEmpty())
        Image.Changed(rect);
}

void TDrawClass::DrawGrid() {
    Marker.reset(); // the whole image is painted anew
    QImage& img = Image.Image();
    const QSize size = Size();
    const int W = size.width(), H = size.height(), m = Margin;
    Drawn = TDrawn::Grid;
    if (img.isNull())
        return;
    // The whole image, to its last device pixel whatever the rounding of its logical size.
    img.fill(QColor::fromRgb(BackgroundColor));
    if (W - m > m && H - m > m)
        PaintBlock(img, m, m, W - m - 1, H - m - 1, White, TPaintMode::Copy);
    const int s = (W - 2 * m) / 6;
    for (int i = 0; i <= 6; ++i)
        VerticalLine(img, m + i * s, m, H - m, i == 0 || i == 6 ? OuterGrid : InnerGrid, TPaintMode::Copy);
    const int t = (H - 2 * m) / 6;
    for (int i = 0; i <= 6; ++i)
        HorizontalLine(img, m + i * t, m, W - m, i == 0 || i == 6 ? OuterGrid : InnerGrid, TPaintMode::Copy);
    Report(QRect(QPoint(0, 0), size));
}

void TDrawClass::ShowPen(int index) {
    DrawGrid();
    if (index < 0 || index >= int(Pens.size())) {
        SelectedPen = -1;
        Dragging = false;
        return;
    }
    SelectedPen = index;
    const Pen& p = Pens[size_t(index)];
    const int32_t R = p.PressureResolution;
    if (R > 0) {
        Points[0] = QPoint(ValueToX(R, p.P1X), ValueToY(R, p.P1Y));
        Points[1] = QPoint(ValueToX(R, p.P2X), ValueToY(R, p.P2Y));
        Points[2] = QPoint(ValueToX(R, p.P3X), ValueToY(R, p.P3Y));
        UpperThresholdY = ValueToY(R, p.UpperThreshold);
        LowerThresholdY = ValueToY(R, p.LowerThreshold);
    }
    DrawPenItems();
    Dragging = false;
}

void TDrawClass::Redraw() {
    if (Drawn == TDrawn::Nothing)
        return;
    const bool pen = Drawn == TDrawn::Pen && ShownPen();
    DrawGrid();
    if (pen)
        DrawPenItems();
}

void TDrawClass::DrawPenItems() {
    Drawn = TDrawn::Pen;
    const int32_t R = ShownPen()->PressureResolution;
    QImage& img = Image.Image();
    const QSize size = Size();
    const int W = size.width(), H = size.height(), m = Margin;
    if (!img.isNull()) {
        // The painter works in logical pixels: on an image of a higher device pixel ratio it scales the
        // cells and renders the glyphs at the device size.
        QPainter painter(&img);
        QFont font = painter.font();
        font.setPixelSize(9);
        font.setStyleStrategy(QFont::NoAntialias);
        painter.setFont(font);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        painter.setPen(QColor::fromRgb(LabelColour));
        auto label = [&](int x, int y, const QString& text) {
            // A 4-digit resolution has to fit in the 52 columns left of the far corner with a gap before
            // the black closing line; a wide default face is condensed to fit.
            QFont face = font;
            const int natural = QFontMetrics(face).horizontalAdvance(text);
            if (natural > LabelRoom)
                face.setStretch(std::max(50, 100 * LabelRoom / natural));
            painter.setFont(face);
            const QFontMetrics metrics(face);
            const QRect cell(x, y, std::min(metrics.horizontalAdvance(text), natural), metrics.height());
            painter.fillRect(cell, QColor::fromRgb(White));
            painter.drawText(cell, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
        };
        label(m + 5, H - m - 14, QStringLiteral("[0,0]"));
        const QString r = QString::number(R);
        label(W - m - 52, m + 5, QLatin1Char('[') + r + QLatin1Char(',') + r + QLatin1Char(']'));
        painter.end();

        for (const QPoint c : {QPoint(m, H - m), QPoint(W - m, m)}) {
            CornerDisc().Paint(img, c.x(), c.y(), White, TPaintMode::Copy);
            CornerRing().Paint(img, c.x(), c.y(), OuterGrid, TPaintMode::Copy);
        }
    }
    if (R > 0)
        InvertFigures(nullptr, CurrentFigure());
}

TDrawClass::Figure TDrawClass::CurrentFigure() const {
    const QSize size = Size();
    return Figure{Points,
                  UpperThresholdY,
                  LowerThresholdY,
                  RingShown ? FocusHandle : -1,
                  size.width(),
                  size.height(),
                  Image.Image().devicePixelRatio()};
}

void TDrawClass::DrawCurve() {
    if (Drawable())
        InvertFigures(nullptr, CurrentFigure());
}

void TDrawClass::InvertFigures(const Figure* before, const Figure& after) {
    // Inverting is its own undo and the figures' inversions commute, so a figure that is alike before and
    // after would be erased and drawn back to the same pixels: leave it alone.
    const bool sameSize =
        before && before->W == after.W && before->H == after.H && before->Ratio == after.Ratio;
    if (!(sameSize && before->Points == after.Points)) {
        if (before)
            InvertCurve(*before);
        InvertCurve(after);
    }
    for (int i = 0; i < 3; ++i) {
        if (sameSize && before->Points[size_t(i)] == after.Points[size_t(i)])
            continue;
        if (before)
            InvertPointCircle(before->Points[size_t(i)]);
        InvertPointCircle(after.Points[size_t(i)]);
    }
    if (!(sameSize && before->UpperY == after.UpperY)) {
        if (before)
            InvertUpperThreshold(*before);
        InvertUpperThreshold(after);
    }
    if (!(sameSize && before->LowerY == after.LowerY)) {
        if (before)
            InvertLowerThreshold(*before);
        InvertLowerThreshold(after);
    }
    const bool sameRing =
        sameSize && before->Focus == after.Focus &&
        (after.Focus < 0 || HandleCentre(*before, before->Focus) == HandleCentre(after, after.Focus));
    if (!sameRing) {
        if (before)
            InvertFocusRing(*before);
        InvertFocusRing(after);
    }
}

void TDrawClass::InvertCurve(const Figure& f) {
    const TThickPolyline* raster = nullptr;
    for (int i = 0; i < 2; ++i) {
        const CachedCurve& c = CurveCache[i];
        if (c.Valid && c.For.Points == f.Points && c.For.W == f.W && c.For.H == f.H &&
            c.For.Ratio == f.Ratio) {
            raster = &c.Raster;
            CurveCacheLast = i;
            break;
        }
    }
    if (!raster) {
        // Build into the slot not used last: that one may hold the figure just erased.
        CurveCacheLast = 1 - CurveCacheLast;
        CachedCurve& c = CurveCache[CurveCacheLast];
        const std::array<QPointF, CurveVertexCount> samples = CurveSamples(f.Points);
        c.Raster.Build(samples.data(), CurveVertexCount, CurvePenWidth, Image.Image());
        c.For = f;
        c.Valid = true;
        raster = &c.Raster;
    }
    const QRect painted = raster->Paint(Image.Image(), CurveColour, TPaintMode::Invert);
    if (painted.isEmpty())
        return;
    // The curve's bounding box covers most of the graph, though the curve itself is thin: report the
    // bounds of each run of segments instead, widened by the pen on either side, so that the owner
    // repaints little more than the curve. Every painted pixel lies on a segment's line widened that way.
    const std::vector<QPoint>& vertices = raster->DeviceVertices();
    const int low = raster->PenLow(), high = raster->PenHigh();
    constexpr int SegmentsPerRect = 16;
    for (int first = 0; first + 1 < CurveVertexCount; first += SegmentsPerRect) {
        const int last = std::min(first + SegmentsPerRect, CurveVertexCount - 1);
        int left = vertices[size_t(first)].x(), right = left;
        int top = vertices[size_t(first)].y(), bottom = top;
        for (int i = first + 1; i <= last; ++i) {
            left = std::min(left, vertices[size_t(i)].x());
            right = std::max(right, vertices[size_t(i)].x());
            top = std::min(top, vertices[size_t(i)].y());
            bottom = std::max(bottom, vertices[size_t(i)].y());
        }
        const QRect device(QPoint(left + low, top + low), QPoint(right + high, bottom + high));
        Report(raster->Scale().ToLogical(device).intersected(painted));
    }
}

void TDrawClass::InvertPointCircle(const QPoint& c) {
    Report(PointRing().Paint(Image.Image(), c.x(), c.y(), PointColour, TPaintMode::Invert));
}

void TDrawClass::InvertUpperThreshold(const Figure& f) {
    QImage& img = Image.Image();
    const int m = Margin, y = f.UpperY;
    Report(HorizontalLine(img, y, m - 3, f.W - m, UpperColour, TPaintMode::Invert));
    Report(HandleRing().Paint(img, m - 7, y, UpperColour, TPaintMode::Invert));
}

void TDrawClass::InvertLowerThreshold(const Figure& f) {
    QImage& img = Image.Image();
    const int m = Margin, y = f.LowerY;
    Report(HorizontalLine(img, y, m, f.W - m + 3, LowerColour, TPaintMode::Invert));
    Report(HandleRing().Paint(img, f.W - m + 7, y, LowerColour, TPaintMode::Invert));
}

// ---- pressure marker -----------------------------------------------------------------------------------

bool TDrawClass::Markable() const {
    // After DrawGrid the last pen stays selected, but the graph shows none of it.
    return Drawable() && Drawn == TDrawn::Pen && !Dragging;
}

void TDrawClass::ShowPressureMarker(double pressure) {
    if (!Markable() || std::isnan(pressure)) {
        ErasePressureMarker();
        return;
    }
    const int32_t R = ShownPen()->PressureResolution;
    MarkerFigure f;
    f.Column = ValueToX(R, PressureValue(pressure, R));
    f.Row = CurveRowAt(CurveVertices(Points), f.Column);
    PlaceMarker(f);
}

void TDrawClass::ShowForceMarker(double force) {
    if (!Markable() || std::isnan(force)) {
        ErasePressureMarker();
        return;
    }
    const Pen& p = *ShownPen();
    const int32_t R = p.PressureResolution;
    const double clamped = std::clamp(force, 0.0, double(R));
    const TCurvePoint at = TCurveMap(p).AtForce(clamped);
    const double output = std::isnan(at.Output) ? 0.0 : std::clamp(at.Output, 0.0, double(R));
    MarkerFigure f;
    f.Column = ValueToX(R, SaturateValue(Round(output)));
    // The ring only where the row meets the curve inside the graph area.
    if (at.Exact && output == at.Output)
        f.Row = ValueToY(R, SaturateValue(Round(clamped)));
    PlaceMarker(f);
}

void TDrawClass::PlaceMarker(MarkerFigure f) {
    const QSize size = Size();
    f.W = size.width();
    f.H = size.height();
    f.Ratio = Image.Image().devicePixelRatio();
    if (Marker == f)
        return;
    ErasePressureMarker();
    InvertMarker(f);
    Marker = f;
}

void TDrawClass::ErasePressureMarker() {
    if (!Marker)
        return;
    // An image of another size or density was made after the marker was drawn: the marker is not on it.
    const QSize size = Size();
    if (size.width() == Marker->W && size.height() == Marker->H &&
        Image.Image().devicePixelRatio() == Marker->Ratio)
        InvertMarker(*Marker);
    Marker.reset();
}

void TDrawClass::InvertMarker(const MarkerFigure& f) {
    QImage& img = Image.Image();
    const int c = f.Column, m = Margin;
    if (!f.Row) {
        // The column does not meet the curve: the whole column of the graph area, down to the image's edge.
        Report(VerticalLine(img, c, m, f.H, MarkerColour, TPaintMode::Invert));
        return;
    }
    // The ring, the line below it down to the output scale, and the line right of it to the force scale;
    // the lines start outside the ring so that no pixel is inverted twice.
    const int r = std::clamp(*f.Row, -2 * f.H, 2 * f.H);
    const int gap = MarkerRing().Radius() + 1;
    Report(MarkerRing().Paint(img, c, r, MarkerColour, TPaintMode::Invert));
    if (r + gap < f.H) {
        Report(VerticalLine(img, c, r + gap, f.H, MarkerColour, TPaintMode::Invert));
    }
    if (c + gap < f.W) {
        Report(HorizontalLine(img, r, c + gap, f.W, MarkerColour, TPaintMode::Invert));
    }
}

QPoint TDrawClass::HandleCentre(const Figure& f, int target) const {
    switch (target) {
    case TargetUpperThreshold:
        return QPoint(Margin - 7, f.UpperY);
    case TargetLowerThreshold:
        return QPoint(f.W - Margin + 7, f.LowerY);
    default:
        return f.Points[size_t(target)];
    }
}

void TDrawClass::InvertFocusRing(const Figure& f) {
    if (f.Focus < TargetLower || f.Focus > TargetLowerThreshold)
        return;
    const QPoint c = HandleCentre(f, f.Focus);
    Report(FocusRing().Paint(Image.Image(), c.x(), c.y(), FocusColour, TPaintMode::Invert));
}

QPoint TDrawClass::HandlePosition(int target) const {
    if (target < TargetLower || target > TargetLowerThreshold)
        return QPoint();
    return HandleCentre(CurrentFigure(), target);
}

void TDrawClass::SetFocusHandle(int target) {
    if (target < TargetLower || target > TargetLowerThreshold)
        target = -1;
    SetFocus(target, RingShown);
}

void TDrawClass::ShowFocusRing(bool shown) {
    SetFocus(FocusHandle, shown);
}

void TDrawClass::SetFocus(int target, bool ring) {
    if (target == FocusHandle && ring == RingShown)
        return;
    if (!Drawable()) {
        FocusHandle = target;
        RingShown = ring;
        return;
    }
    const Figure before = CurrentFigure();
    FocusHandle = target;
    RingShown = ring;
    InvertFigures(&before, CurrentFigure());
}

// ---- mouse ---------------------------------------------------------------------------------------------

void TDrawClass::DefaultCaptions() {
    Captions = TCaptions{"Output", "Input", "X: -", "Y: -", "Info"};
}

int TDrawClass::HandleAt(int X, int Y) const {
    if (!Drawable())
        return -1;
    // A later hit wins: the upper point over the middle one over the lower one, then the handles.
    const int W = Size().width(), m = Margin;
    int target = -1;
    for (int i = 0; i < 3; ++i) {
        const QPoint& P = Points[size_t(i)];
        if (InZone(X, Y, P.x() - 5, P.x() + 5, P.y() - 5, P.y() + 5))
            target = i;
    }
    if (InZone(X, Y, m - 10, m - 4, UpperThresholdY - 5, UpperThresholdY + 5))
        target = TargetUpperThreshold;
    if (InZone(X, Y, W - m + 4, W - m + 10, LowerThresholdY - 5, LowerThresholdY + 5))
        target = TargetLowerThreshold;
    return target;
}

void TDrawClass::MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int X, int Y) {
    if (!Drawable())
        return;
    const int target = HandleAt(X, Y);
    if (target >= 0)
        Pick(target);
    // The marker belongs to the curve as it was: a drag moves the curve away from under it.
    if (Dragging)
        ErasePressureMarker();
}

void TDrawClass::Pick(int target) {
    // With the threshold limiter on, a handle becomes the target but is not dragged.
    if (target < TargetUpperThreshold || !ThresholdLimiter)
        Dragging = true;
    DragTarget = target;
}

void TDrawClass::PressHandle(int target) {
    if (Drawable() && target >= TargetLower && target <= TargetLowerThreshold)
        Pick(target);
    if (Dragging)
        ErasePressureMarker();
}

void TDrawClass::MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, int X, int Y) {
    if (!Drawable())
        return;
    Pen& p = Pens[size_t(SelectedPen)];
    const int32_t R = p.PressureResolution;
    const int W = Size().width(), m = Margin;

    if (!Dragging) {
        DefaultCaptions();
        Qt::CursorShape cursor = Qt::CrossCursor;
        auto threshold = [&](const char* name, int32_t row) {
            if (!ThresholdLimiter)
                cursor = Qt::SplitVCursor;
            Captions.PointName = name;
            Captions.Output = "Value: ~";
            Captions.PointX = IntToStr(YToValue(R, row));
            Captions.Input.clear();
            Captions.PointY.clear();
        };
        if (InZone(X, Y, m - 10, m - 4, UpperThresholdY - 3, UpperThresholdY + 3))
            threshold("Upper Threshold", UpperThresholdY);
        if (InZone(X, Y, W - m + 4, W - m + 10, LowerThresholdY - 3, LowerThresholdY + 3))
            threshold("Lower Threshold", LowerThresholdY);
        for (int i = 0; i < 3; ++i) {
            const QPoint& P = Points[size_t(i)];
            if (InZone(X, Y, P.x() - 5, P.x() + 5, P.y() - 5, P.y() + 5)) {
                Captions.PointName = PointNames[i];
                Captions.PointX = "X: ~" + IntToStr(XToValue(R, P.x()));
                Captions.PointY = "Y: ~" + IntToStr(YToValue(R, P.y()));
                cursor = Qt::PointingHandCursor;
            }
        }
        Image.SetCursor(cursor);
        return;
    }

    ErasePressureMarker();
    const Figure before = CurrentFigure();
    switch (DragTarget) {
    case TargetLower:
    case TargetMiddle:
    case TargetUpper:
        DragPoint(DragTarget, X, Y, p);
        break;
    case TargetUpperThreshold:
        DragThreshold(true, Y, p);
        break;
    case TargetLowerThreshold:
        DragThreshold(false, Y, p);
        break;
    default:
        break;
    }
    InvertFigures(&before, CurrentFigure());
}

void TDrawClass::DragPoint(int i, int X, int Y, Pen& p) {
    const int32_t R = p.PressureResolution;
    const QSize size = Size();
    const int W = size.width(), H = size.height(), m = Margin;
    QPoint& P0 = Points[0];
    QPoint& P1 = Points[1];
    QPoint& P2 = Points[2];
    QPoint& Pi = Points[size_t(i)];

    int x = X, y = Y;
    if (x < m)
        x = m;
    if (x > W - m)
        x = W - m;
    if (y < m)
        y = m;
    if (y > H - m)
        y = H - m;
    Pi = QPoint(x, y);

    if (PointLimiter) {
        if (i == TargetLower) {
            P0.setX(m);
            if (P0.y() < P2.y())
                P0.setY(P2.y());
        } else if (i == TargetUpper) {
            P2.setX(W - m);
            if (P2.y() > P0.y())
                P2.setY(P0.y());
        }
    }

    if (MiddlePointLimiter) {
        // Integer division truncates towards zero: an odd span puts the middle nearer the upper point.
        P1.setX(P2.x() - (P2.x() - P0.x()) / 2);
        P1.setY(P2.y() - (P2.y() - P0.y()) / 2);
        p.P2X = XToValue(R, P1.x());
        p.P2Y = YToValue(R, P1.y());
    }

    int32_t* valueX = &p.P1X;
    int32_t* valueY = &p.P1Y;
    if (i == TargetLower) {
        if (ThresholdLimiter) {
            const int g = int(Round(double(H - 2 * m) / 128.0));
            if (P0.y() + g + 1 > H - m) {
                LowerThresholdY = H - m - 1;
                UpperThresholdY = H - m - g - 1;
                P0.setY(P0.y() - g - 1);
            } else {
                LowerThresholdY = P0.y() + g;
                UpperThresholdY = P0.y();
            }
            p.UpperThreshold = YToValue(R, UpperThresholdY);
            p.LowerThreshold = YToValue(R, LowerThresholdY);
        }
    } else if (i == TargetMiddle) {
        valueX = &p.P2X;
        valueY = &p.P2Y;
    } else {
        valueX = &p.P3X;
        valueY = &p.P3Y;
    }
    *valueX = XToValue(R, Pi.x());
    *valueY = YToValue(R, Pi.y());
    Captions.PointX = "X: ~" + IntToStr(*valueX);
    Captions.PointY = "Y: ~" + IntToStr(*valueY);
}

void TDrawClass::DragThreshold(bool upper, int Y, Pen& p) {
    const int32_t R = p.PressureResolution;
    const int H = Size().height(), m = Margin;
    int y = Y;
    if (y < m)
        y = m;
    if (y > H - m)
        y = H - m;
    if (upper) {
        UpperThresholdY = y;
        if (LowerThresholdY < UpperThresholdY)
            UpperThresholdY = LowerThresholdY;
        p.UpperThreshold = YToValue(R, UpperThresholdY);
        Captions.PointName = "Upper Threshold";
        Captions.PointX = IntToStr(p.UpperThreshold);
    } else {
        LowerThresholdY = y;
        if (UpperThresholdY > LowerThresholdY)
            LowerThresholdY = UpperThresholdY;
        p.LowerThreshold = YToValue(R, LowerThresholdY);
        Captions.PointName = "Lower Threshold";
        Captions.PointX = IntToStr(p.LowerThreshold);
    }
    Captions.Output = "Value: ~";
    Captions.Input.clear();
    Captions.PointY.clear();
}

void TDrawClass::MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    if (!Drawable())
        return;
    ReleaseHandle();
    Image.SetCursor(Qt::PointingHandCursor);
}

void TDrawClass::ReleaseHandle() {
    if (!Drawable())
        return;
    DefaultCaptions();
    Dragging = false;
}
