#include "support/PreferenceFiles.h"

QByteArray TextPenBlock(const PenTexts& pen) {
    return "ButtonName " + pen.Name + "\r\nPressureResolution " + pen.Resolution +
           "\r\nPressureCurveControlPoint " + pen.Curve + "\r\nUpperPressureThreshold " + pen.Upper +
           "\r\nLowerPressureThreshold " + pen.Lower + "\r\n";
}

QByteArray XmlPenElement(const QByteArray& tag, const PenTexts& pen, const QByteArray& indent,
                         const QByteArray& step, const QByteArray& eol) {
    const QByteArray inner = indent + step;
    const auto value = [&](const char* name, const QByteArray& text) {
        return inner + '<' + name + '>' + text + "</" + name + '>' + eol;
    };
    return indent + '<' + tag + '>' + eol + value("ButtonName", pen.Name) +
           value("PressureResolution", pen.Resolution) + value("PressureCurveControlPoint", pen.Curve) +
           value("UpperPressureThreshold", pen.Upper) + value("LowerPressureThreshold", pen.Lower) + indent +
           "</" + tag + '>' + eol;
}
