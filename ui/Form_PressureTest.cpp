#include "ui/Form_PressureTest.h"

#include "graph/DrawClass.h"
#include "ui/PressurePad.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

TFormPressureTest::TFormPressureTest(TDrawClass& graph, std::function<bool()> fileLoaded, QWidget* parent)
    : QWidget(parent, Qt::Window), Graph(graph), FileLoaded(std::move(fileLoaded)) {
    setObjectName("FormPressureTest");
    setWindowTitle("Pressure Test");

    LabelExplain = new QLabel(
        "The pressure a program receives has already passed through the driver's active curve: a new curve "
        "is felt here after \"Apply Changes\" and the restart of the tablet service.",
        this);
    LabelExplain->setObjectName("LabelExplain");
    LabelExplain->setWordWrap(true);

    Pad = new TPressurePad(this);
    Pad->setObjectName("Pad");
    connect(Pad, &TPressurePad::PenPressure, this, &TFormPressureTest::PadPenPressure);
    connect(Pad, &TPressurePad::PenLifted, this, &TFormPressureTest::PadPenLifted);
    connect(Pad, &TPressurePad::MouseDrawing, this, &TFormPressureTest::PadMouseDrawing);

    // The readings change with every tablet event: labels of a fixed size spare a new layout each time.
    auto reading = [this](const char* name) {
        auto* label = new QLabel(this);
        label->setObjectName(QString::fromLatin1(name));
        label->setFixedSize(
            label->fontMetrics().horizontalAdvance("Peak of last stroke: 100.0 % (65535 of 65535)") + 8,
            label->fontMetrics().height() + 4);
        return label;
    };
    LabelPressure = reading("LabelPressure");
    LabelPeak = reading("LabelPeak");

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

    auto* readings = new QVBoxLayout;
    readings->addWidget(LabelPressure);
    readings->addWidget(LabelPeak);
    auto* row = new QHBoxLayout;
    row->addLayout(readings);
    row->addStretch(1);
    row->addWidget(BtClear, 0, Qt::AlignBottom);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelExplain);
    layout->addWidget(Pad, 1);
    layout->addWidget(LabelMouseNote);
    layout->addLayout(row);
    ShowReadings();
}

TFormPressureTest::~TFormPressureTest() {
    Graph.ErasePressureMarker();
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

void TFormPressureTest::ShowReadings() {
    const int32_t resolution = Resolution();
    const QString live = Reading("Pressure", Live, resolution);
    const QString peak = Reading("Peak of last stroke", Peak, resolution);
    if (LabelPressure->text() != live)
        LabelPressure->setText(live);
    if (LabelPeak->text() != peak)
        LabelPeak->setText(peak);
}

void TFormPressureTest::PadPenPressure(double pressure) {
    Peak = Live < 0 ? pressure : std::max(Peak, pressure); // a stroke's first point starts its peak
    Live = pressure;
    LabelMouseNote->hide();
    ShowReadings();
    if (Resolution() > 0)
        Graph.ShowPressureMarker(pressure);
    else
        Graph.ErasePressureMarker();
}

void TFormPressureTest::PadPenLifted() {
    Live = -1;
    ShowReadings();
    Graph.ErasePressureMarker();
}

void TFormPressureTest::PadMouseDrawing() {
    LabelMouseNote->show();
}

void TFormPressureTest::BtClearClick() {
    Pad->Clear();
    Peak = -1;
    ShowReadings();
}

void TFormPressureTest::hideEvent(QHideEvent* event) {
    Pad->EndStroke();
    QWidget::hideEvent(event);
}
