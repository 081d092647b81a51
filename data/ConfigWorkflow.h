#pragma once
// The way every caller goes through a preference file: opening it with the handler of its format, writing
// the edited pens after a dated backup, keeping and restoring backup files, and the texts these steps report.
// The window and the command line both call these functions, so that the order of the steps and the texts
// exist once. Nothing here asks the person anything or shows anything: each step says what to show, and the
// caller shows it.

#include "data/Data_fileClass.h"
#include "data/typeDef.h"
#include "system/functions.h"

#include <QString>

#include <functional>
#include <memory>
#include <string>

// The texts the file workflow reports, each in this one place.
namespace ConfigText {
inline constexpr const char* NotFound = "Wacom Configuration File Not Found...";
// Follows the file's name part in the status of a file without usable pens.
inline constexpr const char* WithoutValues =
    " configuration file is without necessary values -> Try to run Wacom Configuration first.";
inline constexpr const char* ApplyFailed = "Unable to write new config...";
inline constexpr const char* SaveFailed = "Save File Error...";
inline constexpr const char* NoValidBackup = "Unable to locate valid Backup file...";
inline constexpr const char* FormatsDiffer = "Different config versions : XML vs Non-XML";
// Followed by the backup folder's path.
inline constexpr const char* NoBackupFolder = "Unable to create directory for backup: ";
// Followed by the backup point's path.
inline constexpr const char* BackupPointNotWritten = "Unable to write Backup Point: ";
inline constexpr const char* BackupPointCreated = "Backup Point Created...";
} // namespace ConfigText

// What a step asks its caller to show: nothing, a plain message, or the general error box with the text of
// the failure that ended the step.
struct UserReport {
    enum class Kind { None, Message, Error };
    Kind How = Kind::None;
    QString Text;

    static UserReport Message(const QString& text) { return {Kind::Message, text}; }
    static UserReport Error(const QString& text) { return {Kind::Error, text}; }
    bool operator==(const UserReport&) const = default;
};

// AppFolder + "Backup" + delimiter + "FirstRunBackup.bak": the backup point.
QString BackupPointPath();

// True for an existing file that is not a folder (nor an empty path).
bool IsRegularFile(const QString& path);

// A handler of the given format that has read `path` (IsValid tells whether it found usable pens). A text
// file that exists but cannot be read raises std::runtime_error.
std::unique_ptr<TFileHandler> MakeHandler(const QString& path, bool xml);

// --- Opening -----------------------------------------------------------------------------------------------

enum class OpenStatus {
    Loaded,     // the file gave usable pens
    Missing,    // no file at the path; the previous handler was left as it was
    Unreadable, // the format test or the read failed outright (a file over the size limit, too); no handler
    Invalid,    // the file was read but holds no usable pens; the handler is kept, IsValid false
};

// Opens the preference file at `path`: when a file is there, `handler` is released first, then the format
// test picks the handler, which reads the file and reports the dated backup's failures through `messenger`.
// When no file is there, `handler` is left untouched.
OpenStatus OpenConfig(const QString& path, std::unique_ptr<TFileHandler>& handler, MessageFn messenger = {});

// The status line of a failed open: "Wacom Configuration File Not Found..." for a missing or unreadable
// file, the file's name part and the hint to run the driver's panel for a file without usable pens.
QString FailedOpenText(OpenStatus status, const QString& path);

// Whether `path` reads as a preference file with usable pens, and of which format.
enum class ConfigFormat { Unusable, Xml, Text };
ConfigFormat ProbeConfig(const QString& path);

// --- Writing -----------------------------------------------------------------------------------------------

struct WriteResult {
    bool Written = false;
    std::string Failure; // what went wrong when not written
};

// The write of Apply and Save: a dated backup of the content as last read or written, then `pens` into the
// handler, then the content over the handler's own file. A failed dated backup is reported through the
// handler's messenger and the write goes on; a failure to store or write ends it, the file as it was.
WriteResult WriteEditedPens(TFileHandler* handler, const APen& pens);

// --- Backup point ------------------------------------------------------------------------------------------

// The first-run rule after a valid load: makes sure the backup folder exists and writes the handler's content
// as the backup point when there is none yet. Reports a failure of either as a message; never raises.
UserReport KeepFirstBackupPoint(TFileHandler& handler);

// Writes the handler's content as the backup point, replacing an earlier one: "Backup Point Created...", or
// the error box with the failure's text.
UserReport WriteBackupPoint(TFileHandler& handler);

// --- Restoring a backup file -------------------------------------------------------------------------------

enum class RestoreOutcome {
    Restored,      // the backup is now the preference file
    Declined,      // the confirmation said no; nothing changed
    NotFound,      // no handler, no backup file or no preference file
    FormatsDiffer, // one is XML and the other is not
    BackupInvalid, // the backup holds no usable pens; nothing was written
    Failed,        // a step failed; the preference file stays as it was and the handler read it again
};

struct RestoreResult {
    RestoreOutcome Outcome = RestoreOutcome::Declined;
    UserReport Report;
    bool Restart = false; // restart the tablet service
    bool Reload = false;  // read the preference file anew to show it
};

// Puts the backup file at `backupPath` over the preference file of `handler` (its own file):
//   1. no handler, no backup file or no preference file: NotFound, "Unable to locate valid Backup file...";
//   2. `confirm` (when given) says whether to go on; no means Declined, nothing shown; then `stillThere`
//      (when given) says whether the backup file is still the one meant, right before it is first read: no
//      means NotFound, as 1;
//   3. the format test of both: when one is XML and the other not, FormatsDiffer, "Different config
//      versions : XML vs Non-XML";
//   4. a backup that does not read as a preference file with usable pens: BackupInvalid, reported like a
//      missing one;
//   5. a dated backup of the handler's content, then the backup is read in place of the own file and
//      written over it: Restored, with the tablet service to restart and the file to show anew.
// A failure in 3 to 5 that raises ends the restore as Failed, with the error box and the failure's text.
// Whenever anything fails after the dated backup the handler reads its own file again, so that it never
// keeps the backup's content for a later write; a backup that stops reading between 4 and 5 is then
// BackupInvalid with the file to show anew.
RestoreResult RestoreBackup(TFileHandler* handler, const QString& backupPath,
                            const std::function<bool()>& confirm = {},
                            const std::function<bool()>& stillThere = {});
