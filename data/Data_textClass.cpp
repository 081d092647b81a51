#include "data/Data_textClass.h"

#include "system/AtomicFile.h"

#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string_view>

namespace {

constexpr std::string_view KeyName = "ButtonName";
constexpr std::string_view KeyResolution = "PressureResolution";
constexpr std::string_view KeyCurve = "PressureCurveControlPoint";
constexpr std::string_view KeyUpper = "UpperPressureThreshold";
constexpr std::string_view KeyLower = "LowerPressureThreshold";
constexpr std::string_view KeyPressure = "Pressure";
static_assert(KeyResolution.find(KeyPressure) != std::string_view::npos &&
              KeyCurve.find(KeyPressure) != std::string_view::npos &&
              KeyUpper.find(KeyPressure) != std::string_view::npos &&
              KeyLower.find(KeyPressure) != std::string_view::npos);

bool Contains(const std::string& line, std::string_view key) {
    return line.find(key) != std::string::npos;
}

// The part of a line from its first blank (the blank included) to the end; the whole line without a blank.
std::string_view ValueText(const std::string& line) {
    const size_t blank = line.find(' ');
    std::string_view view(line);
    return blank == std::string::npos ? view : view.substr(blank);
}

// Splits the bytes into lines ending at CR LF, a lone CR or a lone LF. A break at the very end does not
// start another line.
std::vector<std::string> SplitLines(const QByteArray& bytes) {
    std::vector<std::string> lines;
    const char* data = bytes.constData();
    const char* end = data + bytes.size();
    // The next CR and the next LF at or after `from`, each found by one library search and kept until passed.
    const auto next = [end](const char* from, char c) {
        const void* at = std::memchr(from, c, static_cast<size_t>(end - from));
        return at ? static_cast<const char*>(at) : end;
    };
    const char* cr = next(data, '\r');
    const char* lf = next(data, '\n');
    for (const char* start = data; start < end;) {
        const char* brk = std::min(cr, lf);
        lines.emplace_back(start, static_cast<size_t>(brk - start));
        if (brk == end)
            break;
        start = brk + (brk == cr && cr + 1 < end && cr[1] == '\n' ? 2 : 1);
        if (cr < start)
            cr = next(start, '\r');
        if (lf < start)
            lf = next(start, '\n');
    }
    return lines;
}

// The curve line's numbers follow the keyword and its blank.
bool ReadCurve(const std::string& line, Pen& pen) {
    std::string_view rest(line);
    const size_t first = rest.find(' ');
    if (first != std::string_view::npos)
        rest.remove_prefix(first + 1);
    return CurveFromText(rest, pen);
}

} // namespace

TTextHandler::TTextHandler(const QString& fileName) : TFileHandler(fileName) {
    Valid = ReadFile(FileName);
}

bool TTextHandler::ReadFile(const QString& path) {
    Lines.clear();
    Pens.clear();
    if (!FileExists(path))
        return false;
    Lines = SplitLines(ReadBytes(path));

    bool result = false;
    size_t nameLine = 0, resolutionLine = 0, curveLine = 0, upperLine = 0, lowerLine = 0;
    for (size_t i = 0; i < Lines.size(); ++i) {
        const std::string& line = Lines[i];
        if (Contains(line, KeyName)) {
            // A new name drops a block that was not complete.
            nameLine = i;
            resolutionLine = curveLine = upperLine = lowerLine = 0;
        }
        // The four value keywords all hold "Pressure": a line without it holds none of them.
        if (Contains(line, KeyPressure)) {
            if (Contains(line, KeyResolution))
                resolutionLine = i;
            if (Contains(line, KeyCurve))
                curveLine = i;
            if (Contains(line, KeyUpper))
                upperLine = i;
            if (Contains(line, KeyLower))
                lowerLine = i;
        }
        // Line 0 never counts as found for the four values.
        if (resolutionLine == 0 || curveLine == 0 || upperLine == 0 || lowerLine == 0)
            continue;

        // A complete block: one pen. A value that does not convert leaves the pen with what was filled
        // before it (the curve line's index is filled last, so a failed pen always keeps 0 there).
        result = true;
        Pen& pen = Pens.emplace_back();
        pen.ButtonName = std::string(ValueText(Lines[nameLine]));
        pen.CurveLine = Lines[curveLine];
        bool ok = StrToInt32(ValueText(Lines[resolutionLine]), pen.PressureResolution);
        if (ok && (ok = StrToInt32(ValueText(Lines[upperLine]), pen.UpperThreshold)))
            pen.UpperLineIndex = static_cast<int32_t>(upperLine);
        if (ok && (ok = StrToInt32(ValueText(Lines[lowerLine]), pen.LowerThreshold)))
            pen.LowerLineIndex = static_cast<int32_t>(lowerLine);
        if (ok && (ok = ReadCurve(Lines[curveLine], pen)))
            pen.CurveLineIndex = static_cast<int32_t>(curveLine);
        if (!ok)
            result = false;
        resolutionLine = curveLine = upperLine = lowerLine = 0;
    }
    return result;
}

QByteArray TTextHandler::Serialize() const {
    qsizetype total = 0;
    for (const std::string& line : Lines)
        total += static_cast<qsizetype>(line.size()) + 2;
    QByteArray bytes;
    bytes.reserve(total);
    for (const std::string& line : Lines) {
        bytes.append(line.data(), static_cast<qsizetype>(line.size()));
        bytes.append("\r\n", 2);
    }
    return bytes;
}

void TTextHandler::Save() {
    WriteFileAtomic(FileName, Serialize());
}

void TTextHandler::SaveAs(const QString& path) {
    // A folder that cannot be made is not an error here: the write then fails on its own.
    CreateFolders(QFileInfo(path).absolutePath());
    WriteFileAtomic(path, Serialize());
}

void TTextHandler::Reload() {
    Valid = false;
    Valid = ReadFile(FileName);
}

void TTextHandler::LoadFrom(const QString& path) {
    if (!FileExists(FileName) || !FileExists(path)) {
        Valid = false;
        return;
    }
    Valid = false;
    Valid = ReadFile(path);
}

void TTextHandler::StorePens(const APen& pens) {
    Pens = pens;
    for (const Pen& pen : Pens) {
        // A pen whose block failed to read has no curve line; its other indexes may be unfilled (0), and
        // writing on its behalf would overwrite lines that are not its own.
        if (pen.CurveLineIndex == 0)
            continue;
        struct Write {
            int32_t Index;
            std::string_view Keyword;
            std::string Text;
        };
        const Write writes[3] = {
            {pen.CurveLineIndex, KeyCurve, std::string(KeyCurve) + ' ' + CurveText(pen)},
            {pen.UpperLineIndex, KeyUpper, std::string(KeyUpper) + ' ' + IntToStr(pen.UpperThreshold)},
            {pen.LowerLineIndex, KeyLower, std::string(KeyLower) + ' ' + IntToStr(pen.LowerThreshold)},
        };
        for (const auto& [index, keyword, text] : writes) {
            if (index == 0)
                continue;
            if (index < 0 || static_cast<size_t>(index) >= Lines.size())
                throw std::out_of_range("List index out of bounds (" + IntToStr(index) + ")");
            // A pen's lines always hold their keyword, also after earlier stores. One that does not was
            // read from other lines (another file read in the meantime): its values would land on lines
            // that are not its own.
            if (!Contains(Lines[static_cast<size_t>(index)], keyword))
                throw std::runtime_error("Line " + IntToStr(index) + " holds no " + std::string(keyword) +
                                         ": the pens were not read from these lines");
            Lines[static_cast<size_t>(index)] = text;
        }
    }
}
