#include "cli/PenCommands.h"

#include "cli/ExitCodes.h"
#include "cli/Output.h"
#include "data/ConfigWorkflow.h"
#include "data/CurveTransfer.h"
#include "data/FileText.h"
#include "graph/CurveMap.h"
#include "system/functions.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>
#include <memory>
#include <string>

namespace {

// Opens the file as the window does; dated-backup failures go to standard error. Sets `status` to what
// failed. A file that cannot be read at all counts as one without the necessary values.
std::unique_ptr<TFileHandler> Load(const QString& path, int& status) {
    std::unique_ptr<TFileHandler> handler;
    const OpenStatus opened = OpenConfig(path, handler, PrintErrLine);
    if (opened == OpenStatus::Loaded) {
        status = ExitOk;
        return handler;
    }
    if (opened == OpenStatus::Missing) {
        PrintErrLine(FailedOpenText(opened, path));
        status = ExitNotFound;
    } else {
        PrintErrLine(FailedOpenText(OpenStatus::Invalid, path));
        status = ExitInvalid;
    }
    return nullptr;
}

// One JSON object per pen, in file order.
QByteArray PensAsJson(const APen& pens) {
    QJsonArray list;
    for (const Pen& pen : pens)
        list.append(PenJson(pen));
    return QJsonDocument(list).toJson(QJsonDocument::Indented);
}

// A whole decimal number that fits in an int: digits with at most a leading minus, nothing around them.
bool Whole(const QString& text, int& value) {
    bool ok = false;
    value = text.toInt(&ok, 10);
    return ok && text.trimmed() == text && !text.startsWith(QLatin1Char('+'));
}

} // namespace

int ShowCommand(const CliArguments& arguments) {
    int status = ExitOk;
    const auto handler = Load(arguments.Positional[0], status);
    if (!handler)
        return status;
    if (arguments.IsSet("json")) {
        PrintOut(PensAsJson(handler->GetPens()));
        return ExitOk;
    }
    // The lines as the information dialog shows them, in the code page of the terminal.
    QString text;
    for (const std::string& line : PenInfoLines(handler->GetPens()))
        text += FileText(line) + u'\n';
    PrintOut(text.toLocal8Bit());
    return ExitOk;
}

int SetCommand(const CliArguments& arguments) {
    int32_t index = 0;
    int32_t values[8] = {};
    if (!StrToInt32(arguments.Positional[1].toLocal8Bit().toStdString(), index))
        return ExitUsage;
    for (int k = 0; k < 8; ++k)
        if (!StrToInt32(arguments.Positional[k + 2].toLocal8Bit().toStdString(), values[k]))
            return ExitUsage;

    int status = ExitOk;
    const auto handler = Load(arguments.Positional[0], status);
    if (!handler)
        return status;
    APen pens = handler->GetPens();
    if (index < 0 || static_cast<size_t>(index) >= pens.size())
        return ExitUsage;

    Pen& pen = pens[static_cast<size_t>(index)];
    int32_t* const fields[8] = {
        &pen.P1Y, &pen.P1X, &pen.P2Y, &pen.P2X, &pen.P3Y, &pen.P3X, &pen.UpperThreshold, &pen.LowerThreshold};
    for (int k = 0; k < 8; ++k)
        *fields[k] = LimitToResolution(values[k], pen.PressureResolution);

    // The window's write sequence: a dated backup of the file as read, then the pens, then the write.
    if (!WriteEditedPens(handler.get(), pens).Written) {
        PrintErrLine(QString::fromLatin1(ConfigText::ApplyFailed));
        return ExitWriteFailed;
    }
    return ExitOk;
}

int DetectCommand(const CliArguments& arguments) {
    const int row = DetectServiceIndex(arguments.Positional[0]);
    if (row >= 0 && row < ServiceCount)
        PrintOut(QByteArray::number(row) + ' ' + ServiceNames[row] + '\n');
    else
        PrintOut("-1\n");
    return ExitOk;
}

int CurveCommand(const CliArguments& arguments) {
    constexpr int MaxSteps = 100000;
    int index = 0;
    int steps = 10;
    if (!Whole(arguments.Positional[1], index))
        return ExitUsage;
    if (arguments.IsSet("steps") &&
        (!Whole(arguments.Value("steps"), steps) || steps < 1 || steps > MaxSteps))
        return ExitUsage;

    int status = ExitOk;
    const auto handler = Load(arguments.Positional[0], status);
    if (!handler)
        return status;
    const APen pens = handler->GetPens();
    if (index < 0 || static_cast<size_t>(index) >= pens.size())
        return ExitUsage;

    const Pen& pen = pens[static_cast<size_t>(index)];
    const TCurveMap curve(pen);
    const bool json = arguments.IsSet("json");
    QJsonArray points;
    QByteArray rows;
    for (int i = 0; i <= steps; ++i) {
        // Both stay within the range of the pen's values, so they fit in 64 bits.
        const auto force = static_cast<long long>(std::nearbyint(double(i) * pen.PressureResolution / steps));
        const auto output = static_cast<long long>(std::nearbyint(curve.OutputAt(double(force))));
        if (json)
            points.append(QJsonObject{{"force", double(force)}, {"output", double(output)}});
        else
            rows += QByteArray::number(force) + ' ' + QByteArray::number(output) + '\n';
    }
    if (json) {
        QJsonObject document;
        document.insert(
            QStringLiteral("name"),
            QString::fromLocal8Bit(pen.ButtonName.data(), static_cast<qsizetype>(pen.ButtonName.size())));
        document.insert(QStringLiteral("resolution"), pen.PressureResolution);
        document.insert(QStringLiteral("points"), points);
        rows = QJsonDocument(document).toJson(QJsonDocument::Indented);
    }
    PrintOut(rows);
    return ExitOk;
}
