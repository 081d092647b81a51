#pragma once
// The graph image of the main window ("Image"): a widget that owns the picture the pressure graph paints
// into, shows it 1:1, repaints only what the graph reports as changed, and hands mouse presses, moves and
// releases on in image pixels. While a button is held the widget keeps the mouse (Qt's implicit grab), so a
// drag that leaves the image still reaches the graph, with coordinates outside the image.
//
// On a high-density screen the picture is made at the screen's device pixel ratio: its logical size is the
// widget's, its pixels are the screen's. Sizes, repaint rectangles and mouse coordinates stay logical. When
// the window moves to a screen of another ratio the picture is made anew and RatioChanged asks its owner to
// draw the graph again.
//
// The image takes the keyboard focus by click or by Tab. With the focus, Tab and Shift+Tab step through the
// graph's handles and, past the last or the first, on to the window's other controls; the arrow keys move
// the handle one pixel (ten with Shift), Escape leaves the handle, and Ctrl+Tab or Ctrl+Shift+Tab pass the
// focus on at once.

#include "graph/GraphSurface.h"

#include <QImage>
#include <QSize>
#include <QWidget>

class TGraphImage : public QWidget, public IGraphSurface {
    Q_OBJECT
public:
    explicit TGraphImage(QWidget* parent = nullptr);

    // Gives the image a new size in logical pixels; the widget takes the same fixed size and the picture is
    // cleared to white (the graph draws it anew at the next ShowPen or DrawGrid).
    void SetImageSize(int width, int height);

    // The device pixel ratio the picture is drawn at: the screen's, unless set below since.
    double DeviceRatio() const { return Ratio; }
    // Draws the picture at this ratio from now on (a ratio below 1 counts as 1, where the screen shrinks
    // what is drawn at 1): when it differs, makes the picture anew, cleared to white, and emits
    // RatioChanged.
    void SetDeviceRatio(double ratio);

    // IGraphSurface
    QImage& Image() override { return Picture; }
    void SetCursor(Qt::CursorShape shape) override;
    void Changed(const QRect& rect) override;

    QSize sizeHint() const override { return Logical; }

signals:
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    // The picture was made anew at another device pixel ratio and shows nothing yet.
    void RatioChanged();
    // Tab or Shift+Tab; `handled` is left false when the graph has no handle that way, so the focus moves
    // on to the next or previous control.
    void NextHandle(bool forward, bool& handled);
    void MoveHandle(int dx, int dy);
    // Escape; `handled` is left false when there was no handle to leave, so the key goes on to the window.
    void LeaveHandle(bool& handled);
    void FocusEntered(Qt::FocusReason reason);
    void FocusLeft(Qt::FocusReason reason);

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void FollowScreen();

    QImage Picture;
    QSize Logical;
    double Ratio = 1.0;
    Qt::CursorShape Shape = Qt::CrossCursor;
};
