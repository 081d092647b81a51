#include "graph/PenPreview.h"

#include "graph/DrawClass.h"

namespace {

// A surface that is only an image: no cursor to set, nobody to tell about changes.
class ImageSurface : public IGraphSurface {
public:
    explicit ImageSurface(int side) : Picture(side, side, QImage::Format_RGB32) {}
    QImage& Image() override { return Picture; }
    void SetCursor(Qt::CursorShape) override {}
    void Changed(const QRect&) override {}

    QImage Picture;
};

} // namespace

QImage DrawPenPreview(const Pen* pen, int side) {
    ImageSurface surface(side);
    TDrawClass graph(surface, qRgb(0xFF, 0xFF, 0xFF));
    if (pen) {
        graph.SetPens({*pen});
        graph.ShowPen(0);
    } else {
        graph.DrawGrid();
    }
    return surface.Picture;
}
