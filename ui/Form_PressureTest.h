#pragma once
// The Pressure Test window: a drawing area for the tablet's pen, the pressure received as it draws and the
// peak of the last stroke, and a marker on the main window's graph where that pressure lies on the shown
// pen's curve while the pen touches the area. It is modeless and lives beside the main window, which builds
// it on first use.

#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>

class QLabel;
class QPushButton;
class TDrawClass;
class TPressurePad;

class TFormPressureTest : public QWidget {
    Q_OBJECT
public:
    // `graph` is the main window's graph; `fileLoaded` tells whether a valid preference file is loaded,
    // without which the pressure is neither marked nor given in a pen's units. Both must outlive the window.
    TFormPressureTest(TDrawClass& graph, std::function<bool()> fileLoaded, QWidget* parent = nullptr);
    // Takes its marker off the graph.
    ~TFormPressureTest() override;

    // "Pressure: 25.0 %", followed by " (256 of 1023)" for a resolution above 0; "Pressure: -" without a
    // pressure (a negative one).
    static QString Reading(const char* what, double pressure, int32_t resolution);

    TPressurePad* Pad = nullptr;
    QLabel* LabelExplain = nullptr;
    QLabel* LabelPressure = nullptr;
    QLabel* LabelPeak = nullptr;
    QLabel* LabelMouseNote = nullptr;
    QPushButton* BtClear = nullptr;

public slots:
    void PadPenPressure(double pressure);
    void PadPenLifted();
    void PadMouseDrawing();
    void BtClearClick();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    int32_t Resolution() const;
    void ShowReadings();

    TDrawClass& Graph;
    std::function<bool()> FileLoaded;
    double Live = -1; // the pressure of the touching pen; -1 when it does not touch
    double Peak = -1; // the highest pressure of the last (or current) stroke; -1 before the first
};
