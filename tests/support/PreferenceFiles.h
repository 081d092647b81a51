#pragma once
// Builders of driver preference files for every test program: one pen's values as the text generation
// writes them (one keyword line each) and as the XML generation writes them (one value element each inside a
// pen element), whole documents around them, and the two-pen files most window tests start on.

#include <QByteArray>
#include <QList>

// The five texts of one pen, as they stand in the file.
struct PenTexts {
    QByteArray Name;
    QByteArray Resolution;
    QByteArray Curve;
    QByteArray Upper;
    QByteArray Lower;
};

// An ordinary pen of resolution `r`: the curve 0 0 512 512 r r, the thresholds r - 23 and 20.
PenTexts PlainPen(const QByteArray& name, int r = 1023);

// The pen's block of the text generation: the ButtonName, PressureResolution, PressureCurveControlPoint,
// UpperPressureThreshold and LowerPressureThreshold lines, each ended by CR LF.
QByteArray TextPenBlock(const PenTexts& pen);

// The pen's element of the XML generation: the `tag` lines at `indent`, the value elements one `step`
// deeper, every line ended by `eol`. With all three empty the element stands on one line.
QByteArray XmlPenElement(const QByteArray& tag, const PenTexts& pen, const QByteArray& indent = {},
                         const QByteArray& step = {}, const QByteArray& eol = {});

inline constexpr const char* TipTag = "TransducerTipButtonSettings";
inline constexpr const char* EraserTag = "TransducerEraserSettings";

// A pen element as the driver lays it out: indented by two blanks, one value element a line, CR LF.
QByteArray XmlPen(const PenTexts& pen, const char* tag = TipTag);
// A whole XML preference document: the declaration, `doctype`, and the TabletPreferences root holding one
// unrelated element ("untouched  text") before `body`.
QByteArray XmlDocument(const QByteArray& body, const QByteArray& doctype = {});
// A text preference file of the given lines, each ended by CR LF.
QByteArray TextFile(const QList<QByteArray>& lines);

// The XML file most window tests use: "Tip" (curve 10 0 400 600 1000 1023, thresholds 900 / 30) and then
// "Eraser" (curve 0 0 512 512 1023 1023, thresholds 1000 / 20), both of resolution 1023. The eraser is the
// last pen, so it is the one shown after a load; its middle point sits on pixel (250, 250).
QByteArray StandardXml();
// The same two pens in the text generation, between a "[Tablet]" and an "[End]" line.
QByteArray StandardText();

// Replaces the one occurrence of `from` in `bytes` (fails the test when it does not occur exactly once).
QByteArray ReplacedOnce(const QByteArray& bytes, const QByteArray& from, const QByteArray& to);
