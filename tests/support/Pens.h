#pragma once
// Pens built in one call for the tests of the graph, the dialogs, the data records and the hostile values:
// every value the graph and the editor work on, given in the order P1X P1Y P2X P2Y P3X P3Y upper lower.

#include "data/typeDef.h"

#include <ostream>
#include <string>
#include <vector>

// A pen as a failing comparison of whole pens prints it: the name, the resolution, the eight edited values,
// and the places the file keeps them.
inline void PrintTo(const Pen& p, std::ostream* os) {
    *os << "{\"" << p.ButtonName << "\" R " << p.PressureResolution << " P1 " << p.P1X << "," << p.P1Y
        << " P2 " << p.P2X << "," << p.P2Y << " P3 " << p.P3X << "," << p.P3Y << " upper " << p.UpperThreshold
        << " lower " << p.LowerThreshold << " lines " << p.CurveLineIndex << "/" << p.UpperLineIndex << "/"
        << p.LowerLineIndex << " node " << p.NodeIndex << " curve line \"" << p.CurveLine << "\"}";
}

// A pen of resolution R with the given curve and thresholds.
inline Pen MakePen(int32_t R, int32_t p1x, int32_t p1y, int32_t p2x, int32_t p2y, int32_t p3x, int32_t p3y,
                   int32_t upper, int32_t lower, const std::string& name = "Tip") {
    Pen p;
    p.ButtonName = name;
    p.PressureResolution = R;
    p.P1X = p1x;
    p.P1Y = p1y;
    p.P2X = p2x;
    p.P2Y = p2y;
    p.P3X = p3x;
    p.P3Y = p3y;
    p.UpperThreshold = upper;
    p.LowerThreshold = lower;
    return p;
}

// The eight values the graph and the pen editor edit, in the order MakePen takes them.
inline std::vector<int32_t> EditedValues(const Pen& p) {
    return {p.P1X, p.P1Y, p.P2X, p.P2Y, p.P3X, p.P3Y, p.UpperThreshold, p.LowerThreshold};
}
