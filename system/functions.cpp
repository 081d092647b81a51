#include "system/functions.h"

#include "system/BuildConfig.h"
#include "system/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QStandardPaths>

#include <algorithm>
#include <stdexcept>

QString AppFolder() {
    const QString exe = QString::fromStdString(Platform().ExecutablePath());
#ifdef _WIN32
    const qsizetype cut = std::max(exe.lastIndexOf('\\'), exe.lastIndexOf(':'));
#else
    const qsizetype cut = exe.lastIndexOf('/');
#endif
    return exe.left(cut + 1);
}

namespace {

QString PerUserFolder() {
    const QString perUser = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return perUser.isEmpty() ? QString() : QDir::toNativeSeparators(perUser) + PathDelim;
}

} // namespace

bool IsInstalledCopy() {
    return QFileInfo(AppFolder() + QLatin1String(InstalledMarkerFromExecutable)).isFile();
}

QString ChooseDataFolder() {
    const QString portable = AppFolder();
    const QString perUser = PerUserFolder();
    if (IsInstalledCopy() && !perUser.isEmpty())
        return perUser;
    const QString probe = portable.isEmpty() ? QStringLiteral(".") : portable;
    if (Platform().FolderWritable(probe.toStdString()) || QFileInfo::exists(portable + "Nibwright.ini") ||
        QFileInfo::exists(portable + "Backup"))
        return portable;
    return perUser.isEmpty() ? portable : perUser;
}

QString DataFolder() {
    // Decided once for each executable path: in a run that is once; the tests, which point the program's
    // folder somewhere new for each case, get a fresh decision for each.
    static QMutex guard;
    static QString decidedFor;
    static QString folder;
    const QMutexLocker lock(&guard);
    const QString exe = QString::fromStdString(Platform().ExecutablePath());
    if (folder.isNull() || exe != decidedFor) {
        decidedFor = exe;
        folder = ChooseDataFolder();
    }
    return folder;
}

QString FileNamePart(const QString& path) {
#ifdef _WIN32
    const qsizetype cut = std::max(path.lastIndexOf('\\'), path.lastIndexOf(':'));
#else
    const qsizetype cut = path.lastIndexOf('/');
#endif
    return path.mid(cut + 1);
}

bool IsXmlFile(const QString& path) {
    QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("Cannot open " + path.toStdString() + ": " +
                                 file.errorString().toStdString());
    char head[5];
    const qint64 n = file.read(head, sizeof head);
    if (n < 0)
        throw std::runtime_error("Cannot read " + path.toStdString() + ": " +
                                 file.errorString().toStdString());
    static const char pattern[5] = {'<', '?', 'X', 'M', 'L'};
    if (n < 5)
        return false;
    for (int i = 0; i < 5; ++i) {
        char c = head[i];
        if (c == '\r' || c == '\n')
            return false;
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != pattern[i])
            return false;
    }
    return true;
}

const char* const ServiceNames[ServiceCount] = {"WTabletServicePro", "TabletServiceWacom",
                                                "WTabletServiceCon", "TabletServicePen",
                                                "WTabletServiceISD", "TabletServiceISD"};

namespace {

// One driver family: the preference file that marks it (lower case) and the newer service's executable
// under the program-files folder. The family's newer service is row NewerRow, its older one the row after.
struct ServiceFamily {
    const char* Pattern;
    const char* Probe;
    int NewerRow;
};

const ServiceFamily Families[] = {
    {"\\wtablet\\wacom_tablet.dat", "\\Tablet\\Wacom\\WTabletServicePro.exe", 0},
    {"\\wtablet\\pen_tablet.dat", "\\Tablet\\Pen\\WTabletServiceCon.exe", 2},
    {"\\wtablet\\isd_tablet.dat", "\\Tablet\\ISD\\WTabletServiceISD.exe", 4},
};

// Only A-Z change: every other character, the backslash included, has to match the pattern exactly.
QString LowerAscii(const QString& text) {
    QString out = text;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u >= u'A' && u <= u'Z')
            c = QChar(static_cast<char16_t>(u - u'A' + u'a'));
    }
    return out;
}

bool FitsFamily(const QString& loweredPath, const ServiceFamily& family) {
    return loweredPath.contains(QLatin1String(family.Pattern), Qt::CaseSensitive);
}

// The row of a fitting family: the newer service when its executable is installed, else the older one.
// Read afresh on every call, so a driver installed while the program runs is seen.
int FamilyRow(const ServiceFamily& family) {
    // The probe names a real file, so it takes this platform's delimiter.
    std::string relative = family.Probe;
    if constexpr (PathDelim != '\\')
        std::replace(relative.begin(), relative.end(), '\\', PathDelim);
    return Platform().FileExists(Platform().GetEnv("ProgramFiles") + relative) ? family.NewerRow
                                                                               : family.NewerRow + 1;
}

} // namespace

void RunElevated(const std::string& file, const std::string& parameters) {
    Platform().StartElevated(file, parameters);
}

std::string RestartParameters(const std::string& serviceName) {
    return "/c net stop \"" + serviceName + "\" & net start \"" + serviceName + "\" & pause";
}

void RestartServiceByName(const std::string& name) {
    RunElevated("cmd.exe", RestartParameters(name));
}

void RestartTabletService(const QString& configPath, bool useChosenRow, int chosenRow,
                          const MessageFn& show) {
    try {
        if (useChosenRow) {
            if (chosenRow >= 0 && chosenRow < ServiceCount)
                RestartServiceByName(ServiceNames[chosenRow]);
            return;
        }
        // A path may fit several families; each is restarted, in table order.
        const QString lowered = LowerAscii(configPath);
        for (const ServiceFamily& family : Families)
            if (FitsFamily(lowered, family))
                RestartServiceByName(ServiceNames[FamilyRow(family)]);
    } catch (...) {
        if (show)
            show(QString::fromLatin1(RestartFailedMessage));
    }
}

int DetectServiceIndex(const QString& configPath) {
    try {
        int result = -1;
        const QString lowered = LowerAscii(configPath);
        for (const ServiceFamily& family : Families)
            if (FitsFamily(lowered, family))
                result = FamilyRow(family);
        return result;
    } catch (...) {
        return -1;
    }
}
