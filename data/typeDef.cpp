#include "data/typeDef.h"

#include <limits>

bool StrToInt32(std::string_view text, int32_t& out) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        return false;
    // Accumulate as a negative number so that INT32_MIN is reachable without overflow.
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        value = value * 10 - (c - '0');
        if (value < static_cast<int64_t>(std::numeric_limits<int32_t>::min()))
            return false;
    }
    if (!negative) {
        value = -value;
        if (value > std::numeric_limits<int32_t>::max())
            return false;
    }
    out = static_cast<int32_t>(value);
    return true;
}

std::string IntToStr(int64_t value) {
    return std::to_string(value);
}

std::string CurveText(const Pen& pen) {
    std::string s;
    for (int32_t v : {pen.P1Y, pen.P1X, pen.P2Y, pen.P2X, pen.P3Y, pen.P3X}) {
        if (!s.empty())
            s += ' ';
        s += IntToStr(v);
    }
    return s;
}

bool CurveFromText(std::string_view text, Pen& pen) {
    int32_t* const fields[6] = {&pen.P1Y, &pen.P1X, &pen.P2Y, &pen.P2X, &pen.P3Y, &pen.P3X};
    for (int k = 0; k < 5; ++k) {
        const size_t blank = text.find(' ');
        // Without a blank the number before it is empty, which never converts.
        if (blank == std::string_view::npos)
            return false;
        if (!StrToInt32(text.substr(0, blank), *fields[k]))
            return false;
        text.remove_prefix(blank + 1);
    }
    return StrToInt32(text, *fields[5]);
}

std::vector<std::string> PenInfoLines(const APen& pens) {
    std::vector<std::string> lines;
    lines.reserve(pens.size() * 5);
    for (const Pen& p : pens) {
        lines.push_back("Pen internal name - " + p.ButtonName);
        lines.push_back("PressureCurveControlPoint " + CurveText(p));
        lines.push_back("UpperPressureThreshold " + IntToStr(p.UpperThreshold));
        lines.push_back("LowerPressureThreshold " + IntToStr(p.LowerThreshold));
        lines.push_back(std::string());
    }
    return lines;
}
