#include "cli/BackupCommands.h"

#include "cli/ExitCodes.h"
#include "data/BackupHistory.h"
#include "data/Data_fileClass.h"
#include "system/functions.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <exception>
#include <optional>

namespace {

void Print(std::FILE* stream, const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

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

int BackupsCommand(const QString& file, bool json) {
    if (!QFileInfo(file).isFile()) {
        Print(stderr, "Wacom Configuration File Not Found...\n");
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
            row["path"] = entry.Path;
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
    Print(stdout, text);
    return ExitOk;
}
