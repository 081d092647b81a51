#pragma once
// The Pressure Test window: a drawing area for the tablet's pen, and what the pressure received stands for
// with the shown pen as it draws: the force it took, the pressure received, and the output the edited curve
// would give, with the peak of the last stroke; and a marker on the main window's graph where that force
// meets the shown pen's curve while the pen touches the area. It is modeless and lives beside the main
// window, which builds it on first use.
//
// The pressure a program receives has already passed through the driver's curve: the file's curve as last
// applied. The window keeps those applied curves (the pens as last read from or written to the file), works
// the force out through the shown pen's applied curve, and from the force the output of its edited curve,
// so that an edit can be felt before it is applied. Where no tablet service was detected for the file (no
// driver applies a curve), the pressure received is taken as the force itself; the user may choose either
// reading.

#include "data/typeDef.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class TDrawClass;
class TPressurePad;

// The pens as last read from or written to the preference file, and whether a tablet service was detected
// for it.
struct TFileCurves {
    APen Pens;
    bool ServiceDetected = false;
};

class TFormPressureTest : public QWidget {
    Q_OBJECT
public:
    // The rows of "Pressure received".
    enum : int { ReceivedThroughCurve = 0, ReceivedAsMeasured = 1 };

    // `graph` is the main window's graph; `fileLoaded` tells whether a valid preference file is loaded,
    // without which the pressure is neither marked nor given in a pen's units. Both must outlive the window.
    TFormPressureTest(TDrawClass& graph, std::function<bool()> fileLoaded, QWidget* parent = nullptr);
    // Takes its marker off the graph.
    ~TFormPressureTest() override;

    // The file's pens were read or written. "Pressure received" follows whether a service was detected,
    // until the user chooses a row.
    void SetFileCurves(const TFileCurves& file);

    // "Force: 25.0 %", followed by " (256 of 1023)" for a resolution above 0; "Force: -" without a value (a
    // negative one).
    static QString Reading(const char* what, double pressure, int32_t resolution);

    // What a received pressure (0..1) stands for with the shown pen, each on the scale 0..1 (-1 where no
    // pen is shown): the force it took, and the output the edited curve gives at that force. `Changed` tells
    // that the shown pen's curve differs from its applied curve.
    struct TFelt {
        double Force = -1;
        double Received = -1;
        double Edited = -1;
        bool Changed = false;
    };
    TFelt Feel(double received) const;

    TPressurePad* Pad = nullptr;
    QLabel* LabelExplain = nullptr;
    QLabel* LabelForce = nullptr;
    QLabel* LabelPressure = nullptr; // the pressure received
    QLabel* LabelEdited = nullptr;
    QLabel* LabelPeak = nullptr;
    QLabel* LabelChange = nullptr;
    QLabel* LabelMouseNote = nullptr;
    QCheckBox* CbFeel = nullptr;
    QComboBox* CBoxReceived = nullptr;
    QPushButton* BtClear = nullptr;

public slots:
    void PadPenPressure(double pressure);
    void PadPenLifted();
    void PadMouseDrawing();
    void BtClearClick();
    void CBoxReceivedActivated();

protected:
    void hideEvent(QHideEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int32_t Resolution() const;
    // The applied curve of the pen at `index`, when the file held one of the same resolution there.
    const Pen* AppliedPen(int index) const;
    void ShowReadings(const TFelt& felt);
    void ShowChange();

    TDrawClass& Graph;
    std::function<bool()> FileLoaded;
    APen Applied;
    bool ReceivedChosen = false; // the user chose how the pressure received is read
    double Live = -1;            // the pressure received while the pen touches; -1 when it does not
    double Peak = -1; // the highest pressure received in the last (or current) stroke; -1 before the first
};
