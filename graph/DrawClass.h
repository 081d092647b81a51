#pragma once
// The pressure graph of the shown pen: the pens, the pixel positions of the shown pen's three control points
// and two threshold rows, the painting of the graph onto the surface's image, and the dragging of points and
// thresholds under the three limiter switches.
//
// Geometry: m = Margin; W, H = the image's current size in logical pixels. The graph area spans columns
// m..W-m and rows m..H-m; both axes run from value 0 (left column, bottom row) to the pen's
// PressureResolution R (right column, top row). Everything that moves (curve, control-point circles,
// threshold lines and handles) is drawn in the inverting mode, so drawing the same state twice restores every
// pixel; a drag move erases the old state that way and draws the new one.
//
// An image with a device pixel ratio above 1 (a high-density screen) is drawn at its device resolution:
// every figure keeps its logical place and size and is drawn with finer pixels. Positions, hit zones,
// limiters, captions and mouse coordinates all stay in logical pixels.

#include "data/typeDef.h"
#include "graph/GraphSurface.h"
#include "graph/PolylineRaster.h"

#include <QPoint>
#include <QPointF>
#include <QRgb>
#include <QSize>
#include <Qt>

#include <array>
#include <cstdint>
#include <optional>

// Width in pixels of the band around the graph area.
inline constexpr int GraphMargin = 12;

// The curve is one polyline of this many vertices: the lower point, 250 samples of the quadratic Bezier
// curve of the three control points (t = 0, 0.004, ... accumulated while t < 1), the upper point.
inline constexpr int CurveVertexCount = 252;
// The vertices as points of the curve, unrounded, and rounded to pixels (halves to even).
std::array<QPointF, CurveVertexCount> CurveSamples(const std::array<QPoint, 3>& points);
std::array<QPoint, CurveVertexCount> CurveVertices(const std::array<QPoint, 3>& points);

// A received pressure (1.0 the full scale) in the units of a pen of resolution R: clamped to 0..1 and rounded
// half to even. A pressure that is not a number gives 0.
int32_t PressureValue(double pressure, int32_t R);

class TDrawClass {
public:
    // DragTarget values.
    enum : int32_t {
        TargetLower = 0,
        TargetMiddle = 1,
        TargetUpper = 2,
        TargetUpperThreshold = 3,
        TargetLowerThreshold = 4
    };

    // Draws nothing; sets the surface's cursor to the cross-hair.
    TDrawClass(IGraphSurface& surface, QRgb background);
    TDrawClass(const TDrawClass&) = delete;
    TDrawClass& operator=(const TDrawClass&) = delete;

    int32_t GetSelectedPen() const { return SelectedPen; }
    // Takes a copy of the pens; no redraw (ShowPen follows).
    void SetPens(const APen& pens);
    // A copy of the pens with every edit made so far.
    APen GetPens() const { return Pens; }
    // One pen, read or replaced by its index (an index outside the pens reads as an empty pen and is not
    // written); no redraw.
    Pen GetPen(int index) const;
    void SetPen(int index, const Pen& pen);
    TCaptions GetCaptions() const { return Captions; }

    // The limiter switches; they act from the next mouse action on.
    void SetThresholdLimiter(bool on) { ThresholdLimiter = on; }
    void SetPointLimiter(bool on) { PointLimiter = on; }
    void SetMiddlePointLimiter(bool on) { MiddlePointLimiter = on; }

    // Clears the image and draws the empty graph.
    void DrawGrid();
    // Selects the pen and draws its graph; an index outside the pens leaves the graph empty and nothing
    // selected. A pen with a PressureResolution of 0 or less shows only the grid and its corner items.
    void ShowPen(int index);
    // Draws again what the last DrawGrid or ShowPen drew, with the shown pen's points where they are now
    // (dragged points stay put): for an image made anew, at another device pixel ratio. Nothing happens
    // before the first drawing.
    void Redraw();

    // Mouse actions in image pixels, as the graph image delivers them. The button and modifiers are taken
    // for completeness: any button picks, and no modifier changes what happens.
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int X, int Y);
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int X, int Y);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int X, int Y);
    // The item a press at (X, Y) picks (a DragTarget value), -1 when it picks none or no pen is drawn.
    int HandleAt(int X, int Y) const;
    // Picks one item by its DragTarget value as a press inside its zone alone would, for a keyboard move
    // of that item even where others overlap it: a threshold handle is dragged only while the threshold
    // limiter is off.
    void PressHandle(int target);
    // Ends a drag as MouseUp does, captions and all, but leaves the cursor alone: for a move by keys or a
    // step of the history, where the pointer may be anywhere.
    void ReleaseHandle();

    // The handle that has the keyboard (a DragTarget value, or -1 for none). While the ring is shown it is
    // marked with a ring drawn in the inverting mode like the other moving figures, so it moves and is
    // erased with them. The ring starts shown; a handle picked by the mouse gets the keyboard without it.
    void SetFocusHandle(int target);
    int32_t GetFocusHandle() const { return FocusHandle; }
    void ShowFocusRing(bool shown);
    bool FocusRingShown() const { return RingShown; }
    // Where a press picks the item: a control point's pixel, or a threshold handle's centre beside the graph.
    QPoint HandlePosition(int target) const;

    // Draws the shown pen's moving figures once more in the inverting mode: drawn over itself this erases
    // them. Nothing happens without a drawable pen.
    void DrawCurve();

    // The pressure marker: where a received pressure lies on the output axis (a line up from the bottom edge
    // in its column) and where that column first meets the drawn curve (a ring there, and a line from it to
    // the right edge, on the row of the force it took). It is drawn in the inverting mode, each pixel once,
    // so erasing it restores every pixel. Showing it again moves it; nothing is drawn without a drawable pen
    // or during a drag. A drag's start and DrawGrid (and so ShowPen) remove it.
    void ShowPressureMarker(double pressure);
    // The same marker for a force in the shown pen's units (clamped to 0..R): the force's row, the ring where
    // it first meets the curve, and the output column there, read from the curve as a mapping. A force the
    // curve does not reach inside the graph area marks the output column of the nearest end or turning point
    // whole. A force that is not a number marks nothing.
    void ShowForceMarker(double force);
    void ErasePressureMarker();
    bool PressureMarkerShown() const { return Marker.has_value(); }
    // The PressureResolution of the pen shown, 0 when no drawable pen is shown (also while the graph is drawn
    // empty, its last pen kept out of reach).
    int32_t ShownResolution() const;

    // Value <-> pixel mappings for a pen of resolution R on the current image. Halves round to even; the
    // value 0 maps without a division. Results are not clamped to the graph area, but they saturate far
    // outside the image (and a resolution of 0 or less maps every value to the origin's line) so that no
    // conversion overflows.
    int32_t ValueToX(int32_t R, int32_t v) const;
    int32_t ValueToY(int32_t R, int32_t v) const;
    int32_t XToValue(int32_t R, int32_t x) const;
    int32_t YToValue(int32_t R, int32_t y) const;

    // State read by the tests and the owner.
    const std::array<QPoint, 3>& GetPoints() const { return Points; }
    int32_t GetUpperThresholdY() const { return UpperThresholdY; }
    int32_t GetLowerThresholdY() const { return LowerThresholdY; }
    bool IsDragging() const { return Dragging; }
    int32_t GetDragTarget() const { return DragTarget; }
    bool GetThresholdLimiter() const { return ThresholdLimiter; }
    bool GetPointLimiter() const { return PointLimiter; }
    bool GetMiddlePointLimiter() const { return MiddlePointLimiter; }

private:
    // What DrawCurve paints, as logical pixels of one image size at one device pixel ratio.
    struct Figure {
        std::array<QPoint, 3> Points;
        int32_t UpperY = 0;
        int32_t LowerY = 0;
        int32_t Focus = -1;
        int W = 0;
        int H = 0;
        double Ratio = 1.0;
    };
    // What the image shows since the last DrawGrid or ShowPen.
    enum class TDrawn { Nothing, Grid, Pen };

    // The image's size in logical pixels.
    QSize Size() const;
    const Pen* ShownPen() const;
    // The corner labels and marks of the shown pen, then its moving figures.
    void DrawPenItems();
    bool Drawable() const;
    Figure CurrentFigure() const;
    // Inverts the figures of `before` and `after`, skipping those that are alike in both (their two
    // inversions cancel); with `before` null only `after` is drawn.
    void InvertFigures(const Figure* before, const Figure& after);
    void InvertCurve(const Figure& f);
    void InvertPointCircle(const QPoint& c);
    void InvertUpperThreshold(const Figure& f);
    void InvertLowerThreshold(const Figure& f);

    // The pressure marker as pixels of one image size: the output's column, and the row where the column
    // meets the curve when it does.
    struct MarkerFigure {
        int Column = 0;
        std::optional<int> Row;
        int W = 0;
        int H = 0;
        double Ratio = 1.0;
        bool operator==(const MarkerFigure&) const = default;
    };
    // Whether a marker can go on the graph: a drawable pen is shown and nothing is dragged.
    bool Markable() const;
    void PlaceMarker(MarkerFigure f);
    void InvertMarker(const MarkerFigure& f);
    void InvertFocusRing(const Figure& f);
    void SetFocus(int target, bool ring);
    QPoint HandleCentre(const Figure& f, int target) const;
    void Pick(int target);
    void DefaultCaptions();
    void DragPoint(int i, int X, int Y, Pen& p);
    void DragThreshold(bool upper, int Y, Pen& p);
    void Report(const QRect& rect);

    IGraphSurface& Image;
    APen Pens;
    std::array<QPoint, 3> Points{};
    int32_t UpperThresholdY = 0;
    int32_t LowerThresholdY = 0;
    int32_t SelectedPen = -1;
    bool Dragging = false;
    int32_t DragTarget = 0;
    TCaptions Captions;
    bool ThresholdLimiter = true;
    bool MiddlePointLimiter = false;
    bool PointLimiter = true;
    int32_t Margin = GraphMargin;
    int32_t FocusHandle = -1;
    bool RingShown = true;
    QRgb BackgroundColor;
    TDrawn Drawn = TDrawn::Nothing;

    // The rasterised curve of the last two figures drawn, so that erasing reuses what drawing computed.
    struct CachedCurve {
        Figure For; // Points, W, H and Ratio count; the threshold rows do not
        TThickPolyline Raster;
        bool Valid = false;
    };
    CachedCurve CurveCache[2];
    int CurveCacheLast = 0;

    std::optional<MarkerFigure> Marker; // as drawn on the image now
};
