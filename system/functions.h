#pragma once
// Free functions that talk to the operating system on the driver's behalf: the executable's folder, the
// format test of a preference file, and the detection and elevated restart of the tablet service.

#include <QString>

#include <functional>
#include <string>

// The separator between folders and files: "\" on Windows, "/" elsewhere.
#ifdef _WIN32
inline constexpr char PathDelim = '\\';
#else
inline constexpr char PathDelim = '/';
#endif

// Shows a plain message (caption "Nibwright", one OK button); supplied by the caller.
using MessageFn = std::function<void(const QString& text)>;

// The running executable's folder, ending with the path delimiter (C:\Tools\x.exe gives C:\Tools\).
QString AppFolder();

// The folder of the program's own files ("Nibwright.ini" and the Backup folder), ending with the path
// delimiter, as ChooseDataFolder() gives it the first time it is asked for this executable: one folder for
// the whole run, even when the program folder is made writable or read-only meanwhile.
QString DataFolder();

// Where the program's own files belong, by the copy it is:
// - an installed copy, whose folder holds the installed marker (InstalledMarkerFromExecutable): the per-user
//   application data folder (QStandardPaths::AppDataLocation), whoever runs it, an administrator too;
// - a portable copy: AppFolder, when that folder is writable or already holds "Nibwright.ini" or "Backup";
//   else the per-user folder as well.
// Both programs name the application "Nibwright", so the window and the command-line tool share it.
QString ChooseDataFolder();

// True when the installed marker lies at its place beside the executable.
bool IsInstalledCopy();

// The file's name part: the text after its last path delimiter (or colon on Windows).
QString FileNamePart(const QString& path);

// True when the file exists and its first line begins with "<?XML" in any letter case.
// An existing file that cannot be read raises std::runtime_error.
bool IsXmlFile(const QString& path);

// The six tablet services in table order; the row is the item index of the service box.
inline constexpr int ServiceCount = 6;
extern const char* const ServiceNames[ServiceCount];

// Starts `file` with `parameters` elevated; raises ElevationError (system/Platform.h) on failure.
void RunElevated(const std::string& file, const std::string& parameters);

// The stop-and-start command line for one service, as handed to cmd.exe.
std::string RestartParameters(const std::string& serviceName);

// Stops and starts one named service in an elevated command window. Errors pass through.
void RestartServiceByName(const std::string& name);

// Restarts the service of `chosenRow` (useChosenRow; a row outside 0..5 restarts nothing) or the service of
// every family that fits `configPath`, in table order. Never fails: the first failure to start shows
// RestartFailedMessage through `show` and ends the restarts.
void RestartTabletService(const QString& configPath, bool useChosenRow, int chosenRow, const MessageFn& show);

// The service row 0..5 that fits `configPath`, or -1. A path fits a driver family when it holds
// "\WTablet\Wacom_Tablet.dat", "\WTablet\Pen_Tablet.dat" or "\WTablet\ISD_Tablet.dat" (ASCII letters in
// any case, backslashes literal); the family's newer service is chosen when its executable exists under the
// "ProgramFiles" folder (e.g. ProgramFiles + "\Tablet\Wacom\WTabletServicePro.exe", with "/" in place of
// "\" on POSIX systems), else its older one. When several families fit, the last one wins. Never raises.
int DetectServiceIndex(const QString& configPath);

// The message shown when the restart cannot be started.
inline constexpr const char* RestartFailedMessage =
    "Unable to restart Tablet service.\r\n\r\nYou must reboot your computer for changes to take effect.";
