#include "ui/Form_PressureTest.h"

#include "graph/CurveMap.h"
#include "graph/DrawClass.h"
#include "ui/PressurePad.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

bool SameCurve(const Pen& a, const Pen& b) {
    return a.PressureResolution == b.PressureResolution && a.P1X == b.P1X && a.P1Y == b.P1Y &&
           a.P2X == b.P2X && a.P2Y == b.P2Y && a.P3X == b.P3X && a.P3Y == b.P3Y;
}

// A value of the curve kept on the pen's scale, as the pen measures and the driver reports; `fallback` for
// one that is not a number.
double OnScale(double value, int32_t R, double fallback) {
    return std::isnan(value) ? fallback : std::clamp(value, 0.0, double(R));
}

void SetText(QLabel* label, const QString& text) {
    if (label->text() != text)
        label->setText(text);
}

} // namespace

TFormPressureTest::TFormPressureTest(TDrawClass& graph, std::function<bool()> fileLoaded, QWidget* parent)
    : QWidget(parent, Qt::Window), Graph(graph), FileLoaded(std::move(fileLoaded)) {
    setObjectName("FormPressureTest");
    setWindowTitle("Pressure Test");

    LabelExplain = new QLabel(
        "The pressure a program receives has already passed through the driver's curve as last applied. "
        "With \"Feel the edited curve\" checked, the force is worked out from the pressure received and the "
        "strokes are drawn with the output the edited curve would give, so a new curve is felt before "
        "\"Apply Changes\". The driver's thresholds, and anything else the driver does with the pressure, "
        "are not simulated.",
        this);
    LabelExplain->setObjectName("LabelExplain");
    LabelExplain->setWordWrap(true);

    Pad = new TPressurePad(this);
    Pad->setObjectName("Pad");
    Pad->SetFeel([this](double received) {
        if (!CbFeel->isChecked())
            return received;
        const TFelt felt = Feel(received);
        return felt.Edited < 0 ? received : felt.Edited;
    });
    connect(Pad, &TPressurePad::PenPressure, this, &TFormPressureTest::PadPenPressure);
    connect(Pad, &TPressurePad::PenLifted, this, &TFormPressureTest::PadPenLifted);
    connect(Pad, &TPressurePad::MouseDrawing, this, &TFormPressureTest::PadMouseDrawing);

    // The readings change with every tablet event: labels of a fixed size spare a new layout each time.
    auto reading = [this](const char* name) {
        auto* label = new QLabel(this);
        label->setObjectName(QString::fromLatin1(name));
        label->setFixedSize(
            label->fontMetrics().horizontalAdvance("With the edited curve: 100.0 % (65535 of 65535)") + 8,
            label->fontMetrics().height() + 4);
        return label;
    };
    LabelForce = reading("LabelForce");
    LabelPressure = reading("LabelPressure");
    LabelEdited = reading("LabelEdited");
    LabelPeak = reading("LabelPeak");

    LabelChange = new QLabel(this);
    LabelChange->setObjectName("LabelChange");
    LabelChange->setWordWrap(true);

    CbFeel = new QCheckBox("Feel the edited curve", this);
    CbFeel->setObjectName("CbFeel");
    CbFeel->setChecked(true);

    auto* receivedLabel = new QLabel("Pressure received:", this);
    CBoxReceived = new QComboBox(this);
    CBoxReceived->setObjectName("CBoxReceived");
    CBoxReceived->addItems({"through the applied curve", "as the pen measures it"});
    CBoxReceived->setCurrentIndex(ReceivedAsMeasured);
    receivedLabel->setBuddy(CBoxReceived);
    connect(CBoxReceived, &QComboBox::activated, this, &TFormPressureTest::CBoxReceivedActivated);

    LabelMouseNote = new QLabel("Draw with the tablet's pen to see its pressure", this);
    LabelMouseNote->setObjectName("LabelMouseNote");
    QSizePolicy keepRoom = LabelMouseNote->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    LabelMouseNote->setSizePolicy(keepRoom);
    LabelMouseNote->hide();

    BtClear = new QPushButton("Clear", this);
    BtClear->setObjectName("BtClear");
    BtClear->setAutoDefault(false);
    connect(BtClear, &QPushButton::clicked, this, &TFormPressureTest::BtClearClick);

    auto* choices = new QHBoxLayout;
    choices->addWidget(CbFeel);
    choices->addSpacing(16);
    choices->addWidget(receivedLabel);
    choices->addWidget(CBoxReceived);
    choices->addStretch(1);
    auto* readings = new QVBoxLayout;
    readings->addWidget(LabelForce);
    readings->addWidget(LabelPressure);
    readings->addWidget(LabelEdited);
    readings->addWidget(LabelPeak);
    auto* row = new QHBoxLayout;
    row->addLayout(readings);
    row->addStretch(1);
    row->addWidget(BtClear, 0, Qt::AlignBottom);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelExplain);
    layout->addWidget(Pad, 1);
    layout->addWidget(LabelMouseNote);
    layout->addLayout(choices);
    layout->addWidget(LabelChange);
    layout->addLayout(row);
    ShowReadings(Live < 0 ? TFelt{} : Feel(Live));
}

TFormPressureTest::~TFormPressureTest() {
    Graph.ErasePressureMarker();
}

void TFormPressureTest::SetFileCurves(const TFileCurves& file) {
    Applied = file.Pens;
    if (!ReceivedChosen)
        CBoxReceived->setCurrentIndex(file.ServiceDetected ? ReceivedThroughCurve : ReceivedAsMeasured);
    ShowReadings(Live < 0 ? TFelt{} : Feel(Live));
}

void TFormPressureTest::CBoxReceivedActivated() {
    ReceivedChosen = true;
    ShowReadings(Live < 0 ? TFelt{} : Feel(Live));
}

QString TFormPressureTest::Reading(const char* what, double pressure, int32_t resolution) {
    QString text = QString::fromLatin1(what) + QStringLiteral(": ");
    if (pressure < 0)
        return text + QLatin1Char('-');
    text += QString::number(pressure * 100, 'f', 1) + QStringLiteral(" %");
    if (resolution > 0)
        text += QStringLiteral(" (%1 of %2)").arg(PressureValue(pressure, resolution)).arg(resolution);
    return text;
}

int32_t TFormPressureTest::Resolution() const {
    return FileLoaded() ? Graph.ShownResolution() : 0;
}

const Pen* TFormPressureTest::AppliedPen(int index) const {
    if (index < 0 || index >= int(Applied.size()))
        return nullptr;
    const Pen& pen = Applied[size_t(index)];
    return pen.PressureResolution == Graph.ShownResolution() ? &pen : nullptr;
}

TFormPressureTest::TFelt TFormPressureTest::Feel(double received) const {
    TFelt felt;
    felt.Received = received;
    const int32_t R = Resolution();
    if (R <= 0 || std::isnan(received))
        return felt;
    const int index = Graph.GetSelectedPen();
    const Pen edited = Graph.GetPen(index);
    const Pen* applied = AppliedPen(index);
    felt.Changed = !applied || !SameCurve(*applied, edited);

    const double r = std::clamp(received, 0.0, 1.0) * R;
    const bool through = CBoxReceived->currentIndex() == ReceivedThroughCurve && applied;
    const double force = through ? OnScale(TCurveMap(*applied).ForceAt(r), R, r) : r;
    // Without a change the edited curve is the one the pressure came through: it gives what was received.
    const double output = through && !felt.Changed ? r : OnScale(TCurveMap(edited).OutputAt(force), R, r);
    felt.Force = force / R;
    felt.Edited = output / R;
    return felt;
}

void TFormPressureTest::ShowReadings(const TFelt& felt) {
    const int32_t resolution = Resolution();
    SetText(LabelForce, Reading("Force", felt.Force, resolution));
    SetText(LabelPressure, Reading("Received", Live, resolution));
    SetText(LabelEdited, Reading("With the edited curve", felt.Edited, resolution));
    SetText(LabelPeak, Reading("Peak of last stroke", Peak, resolution));
    ShowChange();
}

void TFormPressureTest::ShowChange() {
    QString text;
    const int index = Graph.GetSelectedPen();
    if (Resolution() > 0) {
        const Pen* applied = AppliedPen(index);
        if (applied && SameCurve(*applied, Graph.GetPen(index)))
            text = CBoxReceived->currentIndex() == ReceivedThroughCurve
                       ? "The shown pen has no unapplied change: both ways draw alike."
                       : "The shown pen has no unapplied change.";
        else
            text = "The shown pen has unapplied changes.";
    }
    SetText(LabelChange, text);
}

void TFormPressureTest::PadPenPressure(double pressure) {
    Peak = Live < 0 ? pressure : std::max(Peak, pressure); // a stroke's first point starts its peak
    Live = pressure;
    LabelMouseNote->hide();
    const TFelt felt = Feel(pressure);
    ShowReadings(felt);
    if (felt.Force < 0) {
        Graph.ErasePressureMarker();
        return;
    }
    // Without a change, and with the pressure come through the curve shown, the received pressure is the
    // output on the graph's own axis: the marker stands where that column meets the drawn curve.
    if (!felt.Changed && CBoxReceived->currentIndex() == ReceivedThroughCurve)
        Graph.ShowPressureMarker(pressure);
    else
        Graph.ShowForceMarker(felt.Force * Resolution());
}

void TFormPressureTest::PadPenLifted() {
    Live = -1;
    ShowReadings(Live < 0 ? TFelt{} : Feel(Live));
    Graph.ErasePressureMarker();
}

void TFormPressureTest::PadMouseDrawing() {
    LabelMouseNote->show();
}

void TFormPressureTest::BtClearClick() {
    Pad->Clear();
    Peak = -1;
    ShowReadings(Live < 0 ? TFelt{} : Feel(Live));
}

void TFormPressureTest::hideEvent(QHideEvent* event) {
    Pad->EndStroke();
    QWidget::hideEvent(event);
}

void TFormPressureTest::showEvent(QShowEvent* event) {
    ShowChange();
    QWidget::showEvent(event);
}

void TFormPressureTest::changeEvent(QEvent* event) {
    // Edits are made in the main window: coming back here shows whether the shown pen has any.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        ShowChange();
    QWidget::changeEvent(event);
}
