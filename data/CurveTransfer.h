#pragma once
// Curves carried between pens: the JSON object of one pen (what `nibwright-cli show --json` prints for each
// pen and what "Copy Curve" puts on the clipboard), the text forms a curve may be pasted from, and the
// rescaling of a curve from one pen's resolution to another's.

#include "data/typeDef.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// One pen as a JSON object: name, resolution, curve (the six numbers in file order), upperThreshold and
// lowerThreshold. The name is 8-bit text in the system's code page.
QJsonObject PenJson(const Pen& pen);
// The same object as indented JSON text.
QByteArray PenJsonText(const Pen& pen);

// The pen editor's limit: below 0 becomes 0, then above the resolution becomes the resolution.
int32_t LimitToResolution(int32_t v, int32_t resolution);

// A value at resolution `from` moved to resolution `to`: Round(v * to / from), halves to even, then limited
// to 0..to as the pen editor limits it. A source resolution of 0 or less has no scale to move from: the value
// is only limited.
int32_t RescaleValue(int32_t v, int32_t from, int32_t to);

// A curve read from text, before it meets a pen.
struct TCurveText {
    enum class Form {
        Pen,   // a pen's JSON object: curve and thresholds at Resolution
        Curve, // six numbers: the curve at the target's resolution, its thresholds kept
        Full   // eight numbers: the curve, then the upper and the lower threshold
    };
    Form Kind = Form::Curve;
    int32_t Resolution = 0;         // Form::Pen only
    std::array<int32_t, 6> Curve{}; // in file order: P1Y P1X P2Y P2X P3Y P3X
    int32_t UpperThreshold = 0;     // Form::Pen and Form::Full
    int32_t LowerThreshold = 0;
};

// Reads a curve from the clipboard's text: a pen's JSON object (or an array holding exactly one), or six or
// eight whole numbers separated by blanks, commas or line breaks. Anything else gives nothing. A JSON pen
// needs a positive resolution, six whole curve numbers and both thresholds, each within 32 bits.
std::optional<TCurveText> ParseCurveText(const QString& text);

// Puts the curve (and the thresholds its form carries) on `target` at the target's resolution, each value
// limited to 0..R. Nothing but the curve and the thresholds changes.
void PutCurve(const TCurveText& curve, Pen& target);

// The curve and thresholds of `from` put on `to`, rescaled to `to`'s resolution and limited to 0..R.
void CarryCurve(const Pen& from, Pen& to);
// Only the curve, rescaled the same way; `to` keeps its thresholds.
void CarryCurveOnly(const Pen& from, Pen& to);
