#include "graph/PenPreview.h"

#include "graph/DrawClass.h"
#include "graph/PolylineRaster.h"

namespace {

// A surface that is only an image: no cursor to set, nobody to tell about changes.
class ImageSurface : public IGraphSurface {
public:
    ImageSurface(int side, double ratio) : Picture(DeviceImage(QSize(side, side), ratio)) {}
    QImage& Image() override { return Picture; }
    void SetCursor(Qt::CursorShape) override {}
    void Changed(const QRect&) override {}

    QImage Picture;
};

} // namespace

QImage DrawPenPreview(const Pen* pen, int side, double ratio) {
    ImageSurface surface(side, DrawingRatio(ratio));
    TDrawClass graph(surface, qRgb(0xFF, 0xFF, 0xFF));
    if (pen) {
        graph.SetPens({*pen});
        graph.ShowPen(0);
    } else {
        graph.DrawGrid();
    }
    return surface.Picture;
}
