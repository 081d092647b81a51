#pragma once
// Builders of driver preference files: one pen's values as the text generation writes them (one keyword
// line each) and as the XML generation writes them (one value element each inside a pen element).

#include <QByteArray>

// The five texts of one pen, as they stand in the file.
struct PenTexts {
    QByteArray Name;
    QByteArray Resolution;
    QByteArray Curve;
    QByteArray Upper;
    QByteArray Lower;
};

// The pen's block of the text generation: the ButtonName, PressureResolution, PressureCurveControlPoint,
// UpperPressureThreshold and LowerPressureThreshold lines, each ended by CR LF.
QByteArray TextPenBlock(const PenTexts& pen);

// The pen's element of the XML generation: the `tag` lines at `indent`, the value elements one `step`
// deeper, every line ended by `eol`. With all three empty the element stands on one line.
QByteArray XmlPenElement(const QByteArray& tag, const PenTexts& pen, const QByteArray& indent = {},
                         const QByteArray& step = {}, const QByteArray& eol = {});
