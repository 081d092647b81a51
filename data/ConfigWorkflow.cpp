#include "data/ConfigWorkflow.h"

#include "data/Data_textClass.h"
#include "data/Data_xmlClass.h"
#include "system/AtomicFile.h"

#include <QFileInfo>

#include <exception>
#include <stdexcept>

namespace {

QString FailureText(const std::exception& e) {
    return QString::fromLocal8Bit(e.what());
}

// After a failed restore the handler may hold the backup's content; it reads its own file again so that a
// later Apply or Save writes the pens shown into that file, not into the backup's content. When even that
// read fails the handler is invalid and writes nothing.
void ReadOwnFileAgain(TFileHandler& handler) {
    try {
        handler.Reload();
    } catch (const std::exception&) {
    }
}

} // namespace

QString BackupPointPath() {
    return BackupFolder() + QChar(PathDelim) + QStringLiteral("FirstRunBackup.bak");
}

bool IsRegularFile(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

std::unique_ptr<TFileHandler> MakeHandler(const QString& path, bool xml) {
    if (xml)
        return std::make_unique<TXMLHandler>(path);
    return std::make_unique<TTextHandler>(path);
}

OpenStatus OpenConfig(const QString& path, std::unique_ptr<TFileHandler>& handler, MessageFn messenger) {
    if (!IsRegularFile(path))
        return OpenStatus::Missing;
    // The old handler goes before the new one reads, so that two large documents are never held at once.
    handler.reset();
    try {
        handler = MakeHandler(path, IsXmlFile(path));
    } catch (const std::exception&) {
        handler.reset();
        return OpenStatus::Unreadable;
    }
    handler->SetMessenger(std::move(messenger));
    return handler->IsValid() ? OpenStatus::Loaded : OpenStatus::Invalid;
}

QString FailedOpenText(OpenStatus status, const QString& path) {
    if (status == OpenStatus::Invalid)
        return FileNamePart(path) + QString::fromLatin1(ConfigText::WithoutValues);
    return QString::fromLatin1(ConfigText::NotFound);
}

ConfigFormat ProbeConfig(const QString& path) {
    if (!IsRegularFile(path))
        return ConfigFormat::Unusable;
    try {
        const bool xml = IsXmlFile(path);
        if (!MakeHandler(path, xml)->IsValid())
            return ConfigFormat::Unusable;
        return xml ? ConfigFormat::Xml : ConfigFormat::Text;
    } catch (const std::exception&) {
        return ConfigFormat::Unusable;
    }
}

WriteResult WriteEditedPens(TFileHandler* handler, const APen& pens) {
    if (!handler)
        return {false, "no preference file is loaded"};
    try {
        handler->CreateDatedBackup();
        handler->StorePens(pens);
        handler->SaveAs(handler->GetFileName());
    } catch (const std::exception& e) {
        return {false, e.what()};
    }
    return {true, {}};
}

UserReport KeepFirstBackupPoint(TFileHandler& handler) {
    const QString folder = BackupFolder();
    if (!CreateFolders(folder))
        return UserReport::Message(QString::fromLatin1(ConfigText::NoBackupFolder) + folder);
    const QString path = BackupPointPath();
    if (IsRegularFile(path))
        return {};
    try {
        handler.SaveAs(path);
    } catch (const std::exception&) {
        return UserReport::Message(QString::fromLatin1(ConfigText::BackupPointNotWritten) + path);
    }
    return {};
}

UserReport WriteBackupPoint(TFileHandler& handler) {
    try {
        handler.SaveAs(BackupPointPath());
    } catch (const std::exception& e) {
        return UserReport::Error(FailureText(e));
    }
    return UserReport::Message(QString::fromLatin1(ConfigText::BackupPointCreated));
}

RestoreResult RestoreBackup(TFileHandler* handler, const QString& backupPath,
                            const std::function<bool()>& confirm, const std::function<bool()>& stillThere) {
    const auto refused = [](RestoreOutcome outcome, const char* text) {
        return RestoreResult{outcome, UserReport::Message(QString::fromLatin1(text))};
    };
    if (!handler || !IsRegularFile(backupPath) || !IsRegularFile(handler->GetFileName()))
        return refused(RestoreOutcome::NotFound, ConfigText::NoValidBackup);
    if (confirm && !confirm())
        return {};
    if (stillThere && !stillThere())
        return refused(RestoreOutcome::NotFound, ConfigText::NoValidBackup);

    bool replacing = false;
    try {
        const bool backupIsXml = IsXmlFile(backupPath);
        if (IsXmlFile(handler->GetFileName()) != backupIsXml)
            return refused(RestoreOutcome::FormatsDiffer, ConfigText::FormatsDiffer);
        // A backup that no longer reads as a preference file (damaged, or a document that does not parse)
        // would replace the driver's file with nothing usable: it is refused before anything is written.
        if (ProbeConfig(backupPath) == ConfigFormat::Unusable)
            return refused(RestoreOutcome::BackupInvalid, ConfigText::NoValidBackup);

        handler->CreateDatedBackup();
        replacing = true;
        handler->LoadFrom(backupPath);
        if (!handler->IsValid()) {
            // The backup changed between the probe and the read, or the own file vanished: nothing is
            // written, and the file in use is read and shown anew.
            ReadOwnFileAgain(*handler);
            RestoreResult result = refused(RestoreOutcome::BackupInvalid, ConfigText::NoValidBackup);
            result.Reload = true;
            return result;
        }
        handler->Save();
    } catch (const std::exception& e) {
        // Writes are all or nothing, so the preference file was not replaced.
        if (replacing)
            ReadOwnFileAgain(*handler);
        return {RestoreOutcome::Failed, UserReport::Error(FailureText(e))};
    }
    return {RestoreOutcome::Restored, {}, true, true};
}
