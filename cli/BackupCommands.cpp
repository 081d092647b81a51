#include "cli/BackupCommands.h"

#include "cli/ExitCodes.h"
#include "cli/Output.h"
#include "data/BackupHistory.h"
#include "data/ConfigWorkflow.h"
#include "data/Data_fileClass.h"
#include "system/functions.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <exception>
#include <optional>

namespace {

// The format of the preference file, when the format test can read it.
std::optional<BackupFormat> FileFormat(const QString& file) {
    try {
        return IsXmlFile(file) ? BackupFormat::Xml : BackupFormat::Text;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

QJsonValue NullOr(bool known, const QJsonValue& value) {
    return known ? value : QJsonValue(QJsonValue::Null);
}

} // namespace

int BackupsCommand(const CliArguments& arguments) {
    const QString& file = arguments.Positional[0];
    const bool json = arguments.IsSet("json");
    if (!IsRegularFile(file)) {
        PrintErrLine(QString::fromLatin1(ConfigText::NotFound));
        return ExitNotFound;
    }
    const std::optional<BackupFormat> fileFormat = FileFormat(file);
    const QString folder = BackupFolder();
    const QLocale locale = QLocale::system();

    QByteArray text;
    QJsonArray rows;
    for (const BackupEntry& entry : ListBackups(folder)) {
        const BackupContents contents = ReadBackup(folder, entry);
        const bool known = contents.Format != BackupFormat::Unknown;
        const int pens = int(contents.Pens.size());
        if (json) {
            QJsonObject row;
            row["name"] = entry.Name;
            row["path"] = QDir::toNativeSeparators(entry.Path); // as the folder: the system's own form
            row["time"] = QDateTime(entry.Date, entry.Time).toString(Qt::ISODate);
            row["backupPoint"] = entry.BackupPoint;
            row["size"] = double(entry.Size);
            row["format"] = NullOr(known, BackupFormatText(contents.Format).toLower());
            row["pens"] = NullOr(!contents.Damaged, pens);
            row["damaged"] = contents.Damaged;
            row["restorable"] = !contents.Damaged && fileFormat == contents.Format;
            rows.append(row);
            continue;
        }
        QStringList notes;
        if (entry.BackupPoint)
            notes << QStringLiteral("backup point");
        if (contents.Damaged)
            notes << QStringLiteral("damaged");
        const QStringList columns = {
            entry.Name, BackupTimeText(entry, locale), BackupFormatText(contents.Format),
            contents.Damaged ? QString() : QString::number(pens), notes.join(QStringLiteral(", "))};
        text += columns.join(u'\t').toLocal8Bit() + '\n';
    }
    if (json) {
        const QJsonObject document{{"folder", folder}, {"backups", rows}};
        text = QJsonDocument(document).toJson(QJsonDocument::Indented);
    }
    PrintOut(text);
    return ExitOk;
}

int RestoreCommand(const CliArguments& arguments) {
    const QString& file = arguments.Positional[0];
    const QString& backup = arguments.Positional[1];
    std::unique_ptr<TFileHandler> handler;
    const OpenStatus opened = OpenConfig(file, handler, PrintErrLine);
    if (opened != OpenStatus::Loaded) {
        // Only a file with usable pens is replaced, as in the window: the dated backup keeps nothing else.
        const OpenStatus shown = opened == OpenStatus::Missing ? opened : OpenStatus::Invalid;
        PrintErrLine(FailedOpenText(shown, file));
        return opened == OpenStatus::Missing ? ExitNotFound : ExitInvalid;
    }
    QString path = backup;
    if (!backup.contains(u'/') && !backup.contains(QChar(PathDelim))) {
        const auto listed = FindBackup(BackupFolder(), backup);
        if (!listed) {
            PrintErrLine(QString::fromLatin1(ConfigText::NoValidBackup));
            return ExitNoBackup;
        }
        path = listed->Path;
    }
    const RestoreResult restored = RestoreBackup(handler.get(), path);
    if (!restored.Report.Text.isEmpty())
        PrintErrLine(restored.Report.Text);
    switch (restored.Outcome) {
    case RestoreOutcome::Restored:
        return ExitOk;
    case RestoreOutcome::NotFound:
    case RestoreOutcome::BackupInvalid:
        return ExitNoBackup;
    case RestoreOutcome::FormatsDiffer:
        return ExitFormats;
    case RestoreOutcome::Declined:
    case RestoreOutcome::Failed:
        break;
    }
    return ExitWriteFailed;
}
