#pragma once
// The graph image of the main window ("Image"): a widget that owns the picture the pressure graph paints
// into, shows it 1:1, repaints only what the graph reports as changed, and hands mouse presses, moves and
// releases on in image pixels. While a button is held the widget keeps the mouse (Qt's implicit grab), so a
// drag that leaves the image still reaches the graph, with coordinates outside the image.

#include "graph/GraphSurface.h"

#include <QImage>
#include <QWidget>

class TGraphImage : public QWidget, public IGraphSurface {
    Q_OBJECT
public:
    explicit TGraphImage(QWidget* parent = nullptr);

    // Gives the image a new size in pixels; the widget takes the same fixed size and the picture is cleared
    // to white (the graph draws it anew at the next ShowPen or DrawGrid).
    void SetImageSize(int width, int height);

    // IGraphSurface
    QImage& Image() override { return Picture; }
    void SetCursor(Qt::CursorShape shape) override;
    void Changed(const QRect& rect) override;

    QSize sizeHint() const override { return Picture.size(); }

signals:
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage Picture;
    Qt::CursorShape Shape = Qt::CrossCursor;
};
