// nibwright-cli: lists and changes the pens of a tablet driver's preference file from the command line,
// through the same handlers and the same write sequence as the window.

#include "cli/BackupCommands.h"
#include "cli/ExitCodes.h"
#include "data/ConfigWorkflow.h"
#include "system/BuildConfig.h"
#include "system/functions.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

namespace {

const char* const UsageText =
    "Usage:\n"
    "  nibwright-cli show [--json] FILE\n"
    "      Lists every pen of the preference file FILE: its name, its pressure curve and its thresholds.\n"
    "      With --json, a JSON array of objects with name, resolution, curve (the six numbers in file\n"
    "      order), upperThreshold and lowerThreshold.\n"
    "  nibwright-cli set FILE INDEX P1Y P1X P2Y P2X P3Y P3X UPPER LOWER\n"
    "      Gives pen INDEX (0 is the first pen in the file) a new pressure curve and new thresholds and\n"
    "      writes FILE, after a dated backup in the Backup folder beside this program (in the per-user\n"
    "      data folder when this program's folder is not writable). The curve's three\n"
    "      points are given with each point's y before its x, as the file stores them; every value is\n"
    "      limited to 0 .. the pen's pressure resolution.\n"
    "  nibwright-cli detect FILE\n"
    "      Prints the tablet service row that fits FILE and the service's name, or -1.\n"
    "  nibwright-cli backups FILE [--json]\n"
    "      Lists the backups in that same Backup folder, newest first: name, date and time, format,\n"
    "      number of pens, and whether the backup is the backup point or damaged.\n"
    "  nibwright-cli restore FILE BACKUP\n"
    "      Puts the backup BACKUP (a name as 'backups' lists it, or a path) back over FILE, after a dated\n"
    "      backup of FILE, when both are of the same format and the backup holds usable pens. The tablet\n"
    "      service is not restarted.\n"
    "  nibwright-cli --help\n"
    "      Shows this text.\n"
    "  nibwright-cli --version\n"
    "      Prints the version.\n"
    "\n"
    "Exit status: 0 done; 1 the file could not be written; 2 the file lacks the necessary values;\n"
    "3 the file was not found; 4 the backup is missing or does not read as a preference file;\n"
    "5 the backup and the file are of different formats; 64 wrong arguments.\n";

void Out(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

void Err(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
}

void Err(const QString& text) {
    Err(text.toLocal8Bit().toStdString() + "\n");
}

int Usage() {
    Err(std::string(UsageText));
    return ExitUsage;
}

// Opens the file as the window does; dated-backup failures go to standard error. Sets `status` to what
// failed. A file that cannot be read at all counts as one without the necessary values.
std::unique_ptr<TFileHandler> Load(const QString& path, int& status) {
    std::unique_ptr<TFileHandler> handler;
    const OpenStatus opened = OpenConfig(path, handler, [](const QString& text) { Err(text); });
    if (opened == OpenStatus::Loaded) {
        status = ExitOk;
        return handler;
    }
    if (opened == OpenStatus::Missing) {
        Err(FailedOpenText(opened, path));
        status = ExitNotFound;
    } else {
        Err(FailedOpenText(OpenStatus::Invalid, path));
        status = ExitInvalid;
    }
    return nullptr;
}

// One JSON object per pen, in file order; names are 8-bit text in the system's code page.
QByteArray PensAsJson(const APen& pens) {
    QJsonArray list;
    for (const Pen& pen : pens) {
        QJsonObject object;
        object.insert(
            QStringLiteral("name"),
            QString::fromLocal8Bit(pen.ButtonName.data(), static_cast<qsizetype>(pen.ButtonName.size())));
        object.insert(QStringLiteral("resolution"), pen.PressureResolution);
        object.insert(QStringLiteral("curve"),
                      QJsonArray{pen.P1Y, pen.P1X, pen.P2Y, pen.P2X, pen.P3Y, pen.P3X});
        object.insert(QStringLiteral("upperThreshold"), pen.UpperThreshold);
        object.insert(QStringLiteral("lowerThreshold"), pen.LowerThreshold);
        list.append(object);
    }
    return QJsonDocument(list).toJson(QJsonDocument::Indented);
}

int Show(const QString& path, bool json) {
    int status = ExitOk;
    const auto handler = Load(path, status);
    if (!handler)
        return status;
    if (json) {
        Out(PensAsJson(handler->GetPens()).toStdString());
        return ExitOk;
    }
    std::string text;
    for (const std::string& line : PenInfoLines(handler->GetPens()))
        text += line + '\n';
    Out(text);
    return ExitOk;
}

// The pen editor's limit: below 0 becomes 0, then above the resolution becomes the resolution.
int32_t ClampToResolution(int32_t value, int32_t resolution) {
    if (value < 0)
        value = 0;
    if (value > resolution)
        value = resolution;
    return value;
}

int Set(const QString& path, const std::vector<std::string>& numbers) {
    int32_t index = 0;
    int32_t values[8] = {};
    if (!StrToInt32(numbers[0], index))
        return Usage();
    for (int k = 0; k < 8; ++k)
        if (!StrToInt32(numbers[static_cast<size_t>(k) + 1], values[k]))
            return Usage();

    int status = ExitOk;
    const auto handler = Load(path, status);
    if (!handler)
        return status;
    APen pens = handler->GetPens();
    if (index < 0 || static_cast<size_t>(index) >= pens.size())
        return Usage();

    Pen& pen = pens[static_cast<size_t>(index)];
    int32_t* const fields[8] = {
        &pen.P1Y, &pen.P1X, &pen.P2Y, &pen.P2X, &pen.P3Y, &pen.P3X, &pen.UpperThreshold, &pen.LowerThreshold};
    for (int k = 0; k < 8; ++k)
        *fields[k] = ClampToResolution(values[k], pen.PressureResolution);

    // The window's write sequence: a dated backup of the file as read, then the pens, then the write.
    if (!WriteEditedPens(handler.get(), pens).Written) {
        Err(QString::fromLatin1(ConfigText::ApplyFailed));
        return ExitWriteFailed;
    }
    return ExitOk;
}

int Detect(const QString& path) {
    const int row = DetectServiceIndex(path);
    if (row >= 0 && row < ServiceCount)
        Out(std::to_string(row) + " " + ServiceNames[row] + "\n");
    else
        Out("-1\n");
    return ExitOk;
}

} // namespace

int main(int argc, char** argv) {
    // The window's name, so that both programs keep their files in one per-user folder.
    QCoreApplication::setApplicationName(QStringLiteral("Nibwright"));
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || (args.size() == 1 && (args[0] == "--help" || args[0] == "-h"))) {
        Out(UsageText);
        return ExitOk;
    }
    if (args.size() == 1 && args[0] == "--version") {
        Out(std::string("nibwright-cli ") + NibVersion + "\n");
        return ExitOk;
    }
    const std::string& command = args[0];
    try {
        if (command == "show" && args.size() == 2)
            return Show(QString::fromLocal8Bit(args[1].c_str()), false);
        // The flag before or after the file.
        if (command == "show" && args.size() == 3 && (args[1] == "--json") != (args[2] == "--json"))
            return Show(QString::fromLocal8Bit((args[1] == "--json" ? args[2] : args[1]).c_str()), true);
        if (command == "set" && args.size() == 11)
            return Set(QString::fromLocal8Bit(args[1].c_str()),
                       std::vector<std::string>(args.begin() + 2, args.end()));
        if (command == "backups" && (args.size() == 2 || (args.size() == 3 && args[2] == "--json")))
            return BackupsCommand(QString::fromLocal8Bit(args[1].c_str()), args.size() == 3);
        if (command == "restore" && args.size() == 3)
            return RestoreCommand(QString::fromLocal8Bit(args[1].c_str()),
                                  QString::fromLocal8Bit(args[2].c_str()));
        if (command == "detect" && args.size() == 2)
            return Detect(QString::fromLocal8Bit(args[1].c_str()));
    } catch (const std::exception& e) {
        Err(std::string("nibwright-cli: ") + e.what() + "\n");
        return ExitWriteFailed;
    }
    return Usage();
}
