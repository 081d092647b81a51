#include "support/PreferenceFiles.h"

#include <gtest/gtest.h>

PenTexts PlainPen(const QByteArray& name, int r) {
    const QByteArray top = QByteArray::number(r);
    return {name, top, "0 0 512 512 " + top + " " + top, QByteArray::number(r - 23), "20"};
}

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

QByteArray XmlPen(const PenTexts& pen, const char* tag) {
    return XmlPenElement(tag, pen, "  ", "  ", "\r\n");
}

QByteArray XmlDocument(const QByteArray& body, const QByteArray& doctype) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n" + doctype +
           "<TabletPreferences version=\"1\">\r\n  <Other keep=\"yes\">untouched  text</Other>\r\n" + body +
           "</TabletPreferences>\r\n";
}

QByteArray TextFile(const QList<QByteArray>& lines) {
    QByteArray out;
    for (const auto& line : lines)
        out += line + "\r\n";
    return out;
}

namespace {
const PenTexts StandardTip{"Tip", "1023", "10 0 400 600 1000 1023", "900", "30"};
const PenTexts StandardEraser{"Eraser", "1023", "0 0 512 512 1023 1023", "1000", "20"};
} // namespace

QByteArray StandardXml() {
    return XmlDocument(XmlPen(StandardTip) + XmlPen(StandardEraser, EraserTag));
}

QByteArray StandardText() {
    return "[Tablet]\r\n" + TextPenBlock(StandardTip) + TextPenBlock(StandardEraser) + "[End]\r\n";
}

QByteArray ReplacedOnce(const QByteArray& bytes, const QByteArray& from, const QByteArray& to) {
    EXPECT_EQ(bytes.count(from), 1) << from.constData();
    QByteArray out = bytes;
    out.replace(from, to);
    return out;
}
