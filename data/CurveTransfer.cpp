#include "data/CurveTransfer.h"

#include "data/FileText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>
#include <QRegularExpression>
#include <QStringList>

#include <cmath>
#include <limits>

namespace {

int32_t* CurveField(Pen& pen, int k) {
    int32_t* const fields[6] = {&pen.P1Y, &pen.P1X, &pen.P2Y, &pen.P2X, &pen.P3Y, &pen.P3X};
    return fields[k];
}

// A JSON number that is a whole number within 32 bits.
bool WholeNumber(const QJsonValue& value, int32_t& out) {
    if (!value.isDouble())
        return false;
    const double d = value.toDouble();
    if (!std::isfinite(d) || d != std::trunc(d) || d < std::numeric_limits<int32_t>::min() ||
        d > std::numeric_limits<int32_t>::max())
        return false;
    out = static_cast<int32_t>(d);
    return true;
}

std::optional<TCurveText> FromJson(const QJsonDocument& doc) {
    QJsonObject object;
    if (doc.isObject()) {
        object = doc.object();
    } else {
        const QJsonArray list = doc.array();
        if (list.size() != 1 || !list.first().isObject())
            return std::nullopt;
        object = list.first().toObject();
    }
    TCurveText curve;
    curve.Kind = TCurveText::Form::Pen;
    const QJsonArray numbers = object.value(QStringLiteral("curve")).toArray();
    if (numbers.size() != 6 || !WholeNumber(object.value(QStringLiteral("resolution")), curve.Resolution) ||
        curve.Resolution <= 0 ||
        !WholeNumber(object.value(QStringLiteral("upperThreshold")), curve.UpperThreshold) ||
        !WholeNumber(object.value(QStringLiteral("lowerThreshold")), curve.LowerThreshold))
        return std::nullopt;
    for (int k = 0; k < 6; ++k)
        if (!WholeNumber(numbers.at(k), curve.Curve[static_cast<size_t>(k)]))
            return std::nullopt;
    return curve;
}

std::optional<TCurveText> FromNumbers(const QString& text) {
    static const QRegularExpression separators(QStringLiteral("[ \\t\\r\\n,]+"));
    const QStringList words = text.split(separators, Qt::SkipEmptyParts);
    if (words.size() != 6 && words.size() != 8)
        return std::nullopt;
    int32_t values[8] = {};
    for (qsizetype k = 0; k < words.size(); ++k)
        if (!StrToInt32(words[k].toStdString(), values[k]))
            return std::nullopt;
    TCurveText curve;
    curve.Kind = words.size() == 8 ? TCurveText::Form::Full : TCurveText::Form::Curve;
    for (size_t k = 0; k < 6; ++k)
        curve.Curve[k] = values[k];
    curve.UpperThreshold = values[6];
    curve.LowerThreshold = values[7];
    return curve;
}

} // namespace

QJsonObject PenJson(const Pen& pen) {
    QJsonObject object;
    object.insert(QStringLiteral("name"), FileText(pen.ButtonName)); // the name as the window shows it
    object.insert(QStringLiteral("resolution"), pen.PressureResolution);
    object.insert(QStringLiteral("curve"), QJsonArray{pen.P1Y, pen.P1X, pen.P2Y, pen.P2X, pen.P3Y, pen.P3X});
    object.insert(QStringLiteral("upperThreshold"), pen.UpperThreshold);
    object.insert(QStringLiteral("lowerThreshold"), pen.LowerThreshold);
    return object;
}

int32_t LimitToResolution(int32_t v, int32_t resolution) {
    if (v < 0)
        v = 0;
    if (v > resolution)
        v = resolution;
    return v;
}

QByteArray PenJsonText(const Pen& pen) {
    return QJsonDocument(PenJson(pen)).toJson(QJsonDocument::Indented);
}

int32_t RescaleValue(int32_t v, int32_t from, int32_t to) {
    if (from <= 0 || from == to)
        return LimitToResolution(v, to);
    // The product of two 32-bit values is exact in a double; the quotient is rounded once, halves to even.
    const double scaled = std::nearbyint(static_cast<double>(v) * to / from);
    if (scaled <= 0)
        return LimitToResolution(0, to);
    if (scaled >= to)
        return LimitToResolution(to, to);
    return static_cast<int32_t>(scaled);
}

std::optional<TCurveText> ParseCurveText(const QString& text) {
    const QByteArray bytes = text.trimmed().toUtf8();
    if (bytes.startsWith('{') || bytes.startsWith('[')) {
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
        if (error.error != QJsonParseError::NoError)
            return std::nullopt;
        return FromJson(doc);
    }
    return FromNumbers(text);
}

void PutCurve(const TCurveText& curve, Pen& target) {
    const int32_t R = target.PressureResolution;
    const int32_t from = curve.Kind == TCurveText::Form::Pen ? curve.Resolution : R;
    for (int k = 0; k < 6; ++k)
        *CurveField(target, k) = RescaleValue(curve.Curve[static_cast<size_t>(k)], from, R);
    if (curve.Kind == TCurveText::Form::Curve)
        return;
    target.UpperThreshold = RescaleValue(curve.UpperThreshold, from, R);
    target.LowerThreshold = RescaleValue(curve.LowerThreshold, from, R);
}

void CarryCurveOnly(const Pen& from, Pen& to) {
    Pen source = from;
    for (int k = 0; k < 6; ++k)
        *CurveField(to, k) =
            RescaleValue(*CurveField(source, k), from.PressureResolution, to.PressureResolution);
}

void CarryCurve(const Pen& from, Pen& to) {
    CarryCurveOnly(from, to);
    to.UpperThreshold = RescaleValue(from.UpperThreshold, from.PressureResolution, to.PressureResolution);
    to.LowerThreshold = RescaleValue(from.LowerThreshold, from.PressureResolution, to.PressureResolution);
}
