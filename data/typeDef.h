#pragma once
// The records every part of Nibwright exchanges: one pen's settings, the pens of a file, the graph's
// captions.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One pen's pressure settings as read from a preference file. Strings are 8-bit, byte for byte as in the
// file.
struct Pen {
    std::string ButtonName;         // the pen's name as the file gives it
    std::string CurveLine;          // text format only: the whole curve line as read (never written back)
    int32_t PressureResolution = 0; // top of the pressure scale on both axes
    int32_t P1X = 0;                // lower control point
    int32_t P1Y = 0;
    int32_t P2X = 0; // middle control point
    int32_t P2Y = 0;
    int32_t P3X = 0; // upper control point
    int32_t P3Y = 0;
    int32_t UpperThreshold = 0;
    int32_t LowerThreshold = 0;
    int32_t CurveLineIndex = 0; // text format: 0-based line indexes; 0 means "not found"
    int32_t UpperLineIndex = 0;
    int32_t LowerLineIndex = 0;
    int32_t NodeIndex = 0; // XML format: ordinal among the selected pen elements

    bool operator==(const Pen&) const = default;
};

// The pens of one file, in file order. Every holder keeps its own copy.
using APen = std::vector<Pen>;

// The five label texts the graph fills and the main window shows.
struct TCaptions {
    std::string Output;
    std::string Input;
    std::string PointX;
    std::string PointY;
    std::string PointName;

    bool operator==(const TCaptions&) const = default;
};

// Integer conversion used for every number of a preference file and of the pen editor:
// leading blanks, an optional sign, decimal digits and nothing after them. An empty text, any other
// character or a value outside the 32-bit signed range fails (returns false, `out` untouched).
bool StrToInt32(std::string_view text, int32_t& out);

// A number in plain decimal: a minus sign when negative, no leading zeros or blanks.
std::string IntToStr(int64_t value);

// The curve's six numbers in file order (P1Y P1X P2Y P2X P3Y P3X), separated by single blanks.
std::string CurveText(const Pen& pen);

// Reads the curve's six numbers from their text in file order (P1Y P1X P2Y P2X P3Y P3X): five numbers each
// ended by a single blank, then the sixth is all that remains. Fills the pen's fields one by one and stops at
// the first that does not convert (two blanks in a row, fewer or more than six numbers, a trailing blank).
bool CurveFromText(std::string_view text, Pen& pen);

// The listing of all pens that the information dialog and `nibwright-cli show` print: per pen the lines
// "Pen internal name - <name>", "PressureCurveControlPoint <curve>", "UpperPressureThreshold <n>",
// "LowerPressureThreshold <n>" and an empty line.
std::vector<std::string> PenInfoLines(const APen& pens);
