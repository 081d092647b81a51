// Runs the real nibwright-cli, copied into the scratch program folder so that its Backup folder lands there,
// and the window's program for its command line.

#include "support/Portable.h"
#include "support/ReadOnlyFolder.h"
#include "support/TestEnv.h"
#include "support/UserGuide.h"
#include "system/BuildConfig.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

// What a run printed, in failure messages: its bytes as text, with every byte outside printable ASCII as %XX.
static void PrintTo(const QByteArray& bytes, std::ostream* os) {
    *os << '"' << bytes.toPercentEncoding(" !\"#$&'()*+,-./:;<=>?@[\\]^_`{|}~").constData() << '"';
}

namespace {

struct CliRun {
    int Code = -1;
    QByteArray Out;
    QByteArray Err;
};

const QByteArray XmlFile =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n"
    "  <TransducerTipButtonSettings><ButtonName>Tip</ButtonName>"
    "<PressureResolution>1023</PressureResolution>"
    "<PressureCurveControlPoint>0 0 512 512 1023 1023</PressureCurveControlPoint>"
    "<UpperPressureThreshold>1000</UpperPressureThreshold>"
    "<LowerPressureThreshold>20</LowerPressureThreshold></TransducerTipButtonSettings>\n"
    "  <TransducerEraserSettings><ButtonName>Eraser</ButtonName>"
    "<PressureResolution>511</PressureResolution>"
    "<PressureCurveControlPoint>1 2 3 4 5 6</PressureCurveControlPoint>"
    "<UpperPressureThreshold>500</UpperPressureThreshold>"
    "<LowerPressureThreshold>-1</LowerPressureThreshold></TransducerEraserSettings>\n"
    "</root>\n";

const QByteArray TextFile =
    "x\r\nButtonName Tip\r\nPressureResolution 1023\r\nPressureCurveControlPoint 0 0 1 1 2 2\r\n"
    "UpperPressureThreshold 9\r\nLowerPressureThreshold 1\r\n";

// The program's output with its line ends as the tests spell them. A Windows console program ends its
// lines with CRLF, as every Windows tool that reads them expects: a bare LF there is a fault.
QByteArray FromConsole(QByteArray out) {
#ifdef _WIN32
    const QByteArray bare = QByteArray(out).replace("\r\n", "");
    EXPECT_FALSE(bare.contains('\n')) << "a line ended by LF alone: " << out.constData();
    out.replace("\r\n", "\n");
#endif
    return out;
}

// Runs a program to its end and takes what it printed. On Windows the output goes to files, read once the
// program has ended, so that none of it depends on draining pipes after the exit; elsewhere it comes
// through pipes, which a limit on the size of the program's files leaves alone.
CliRun RunToEnd(QProcess& p, const QString& program, const QStringList& args) {
#ifdef _WIN32
    QTemporaryDir outputs;
    p.setStandardOutputFile(outputs.filePath("out"));
    p.setStandardErrorFile(outputs.filePath("err"));
#endif
    p.start(program, args);
    const bool finished = p.waitForFinished(30000);
    EXPECT_TRUE(finished) << qPrintable(program) << ' ' << qPrintable(args.join(' ')) << ": "
                          << qPrintable(p.errorString());
    CliRun run{finished && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, {}, {}};
#ifdef _WIN32
    run.Out = TestEnv::Read(outputs.filePath("out"));
    run.Err = TestEnv::Read(outputs.filePath("err"));
#else
    run.Out = p.readAllStandardOutput();
    run.Err = p.readAllStandardError();
#endif
    return run;
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
#ifdef _WIN32
        Exe = env.AppDir() + "nibwright-cli.exe";
#else
        Exe = env.AppDir() + "nibwright-cli";
#endif
        ASSERT_TRUE(QFile::copy(QStringLiteral(NIB_CLI_PATH), Exe));
    }

    CliRun Cli(const QStringList& args, qint64 fileSizeLimit = -1) {
        QProcess p;
#ifdef _WIN32
        EXPECT_LT(fileSizeLimit, 0) << "Windows has no limit on the size of a process's files";
#else
        if (fileSizeLimit >= 0) {
            // A disk that takes only this many bytes per file: writes beyond it fail instead of killing.
            p.setChildProcessModifier([fileSizeLimit] {
                std::signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            });
        }
#endif
        p.setWorkingDirectory(WorkDir);
        CliRun run = RunToEnd(p, Exe, args);
        run.Out = FromConsole(run.Out);
        run.Err = FromConsole(run.Err);
        return run;
    }

    QString File(const QByteArray& bytes, const QString& name = "Wacom_Tablet.dat") {
        return env.Write("AppData/WTablet/" + name, bytes);
    }

    TestEnv env;
    QString Exe;
    QString WorkDir; // the current folder of the runs; empty for this process's own
};

QStringList SetArgs(const QString& path, const QStringList& values) {
    return QStringList{"set", path} + values;
}

} // namespace

TEST_F(CliTest, HelpGoesToStandardOutput) {
    for (const QStringList& args : {QStringList{}, QStringList{"--help"}}) {
        const CliRun r = Cli(args);
        EXPECT_EQ(r.Code, 0);
        EXPECT_TRUE(r.Out.startsWith("Usage:")) << r.Out.constData();
        EXPECT_TRUE(r.Out.contains("nibwright-cli set FILE INDEX P1Y P1X P2Y P2X P3Y P3X UPPER LOWER"));
        EXPECT_TRUE(r.Err.isEmpty());
    }
    const CliRun bad = Cli({"frobnicate"});
    EXPECT_EQ(bad.Code, 64);
    EXPECT_TRUE(bad.Out.isEmpty());
    EXPECT_TRUE(bad.Err.startsWith("Usage:"));
}

// Every command the usage lists has its section in the user guide, headed by its synopsis.
TEST_F(CliTest, UserGuideDescribesEveryCommand) {
    const QString usage = QString::fromLocal8Bit(Cli({"--help"}).Out);
    const QRegularExpression synopsis(QStringLiteral("^  nibwright-cli ([a-z]+)"),
                                      QRegularExpression::MultilineOption);
    QStringList commands;
    QStringList missing;
    for (auto it = synopsis.globalMatch(usage); it.hasNext();) {
        const QString command = it.next().captured(1);
        commands << command;
        if (!UserGuideSection("cli-" + command).startsWith("nibwright-cli " + command))
            missing << QStringLiteral("a section id=\"cli-%1\" headed \"nibwright-cli %1\"").arg(command);
    }
    EXPECT_GE(commands.size(), 5) << usage.toStdString();
    EXPECT_TRUE(missing.isEmpty()) << "docs/guide.html lacks:\n" << missing.join(u'\n').toStdString();
}

TEST_F(CliTest, ShowListsThePensOrExplainsTheFailure) {
    const CliRun xml = Cli({"show", File(XmlFile)});
    EXPECT_EQ(xml.Code, 0);
    EXPECT_EQ(xml.Out, QByteArray("Pen internal name - Tip\nPressureCurveControlPoint 0 0 512 512 1023 1023\n"
                                  "UpperPressureThreshold 1000\nLowerPressureThreshold 20\n\n"
                                  "Pen internal name - Eraser\nPressureCurveControlPoint 1 2 3 4 5 6\n"
                                  "UpperPressureThreshold 500\nLowerPressureThreshold -1\n\n"));
    EXPECT_TRUE(xml.Err.isEmpty());

    const CliRun text = Cli({"show", File(TextFile, "Pen_Tablet.dat")});
    EXPECT_EQ(text.Code, 0);
    EXPECT_TRUE(text.Out.startsWith("Pen internal name -  Tip\n")); // the text format keeps the blank

    const CliRun invalid = Cli({"show", File("<?xml version=\"1.0\"?><root/>", "ISD_Tablet.dat")});
    EXPECT_EQ(invalid.Code, 2);
    EXPECT_TRUE(invalid.Out.isEmpty());
    EXPECT_EQ(invalid.Err, "ISD_Tablet.dat configuration file is without necessary values -> Try to run "
                           "Wacom Configuration first.\n");

    const CliRun missing = Cli({"show", env.Root() + "/nothing.dat"});
    EXPECT_EQ(missing.Code, 3);
    EXPECT_EQ(missing.Err, "Wacom Configuration File Not Found...\n");
    EXPECT_EQ(Cli({"show", env.Root()}).Code, 3); // a folder is no file
}

TEST_F(CliTest, SetWritesThroughBackupStoreAndSave) {
    const QString path = File(XmlFile);
    const CliRun r = Cli(SetArgs(path, {"1", "10", "20", "30", "40", "5000", "-7", "400", "3"}));
    EXPECT_EQ(r.Code, 0) << r.Err.constData();
    EXPECT_TRUE(r.Out.isEmpty());
    EXPECT_TRUE(r.Err.isEmpty());
    // Only the second pen's written texts change; values are limited to 0..511.
    QByteArray expected = XmlFile;
    expected.replace(">1 2 3 4 5 6<", ">10 20 30 40 511 0<");
    expected.replace(">500<", ">400<");
    expected.replace(">-1<", ">3<");
    EXPECT_EQ(TestEnv::Read(path), expected);
    // The dated backup holds the file as it was.
    const QStringList backups = TestEnv::List(env.BackupDir());
    ASSERT_EQ(backups.size(), 1);
    EXPECT_TRUE(backups[0].startsWith("Pen_Tablet_") && backups[0].endsWith(".bak"));
    EXPECT_EQ(TestEnv::Read(env.BackupDir() + "/" + backups[0]), XmlFile);

    const QString textPath = File(TextFile, "Pen_Tablet.dat");
    EXPECT_EQ(Cli(SetArgs(textPath, {"0", " 1", "+2", "3", "4", "5", "6", "7", "8"})).Code, 0);
    EXPECT_EQ(TestEnv::Read(textPath),
              QByteArray("x\r\nButtonName Tip\r\nPressureResolution 1023\r\n"
                         "PressureCurveControlPoint 1 2 3 4 5 6\r\n"
                         "UpperPressureThreshold 7\r\nLowerPressureThreshold 8\r\n"));
}

TEST_F(CliTest, SetRejectsBadArgumentsAndWritesNothing) {
    const QString path = File(XmlFile);
    const QList<QStringList> bad = {
        {"0", "1", "2", "3", "4", "5", "6", "7"},                // one value short
        {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"},      // one too many
        {"0", "1", "2", "3", "4", "5", "6", "7", "8x"},          // not a number
        {"0", "1", "2", "3", "4", "5", "6", "7", "8 "},          // trailing blank
        {"0", "1", "2", "3", "4", "5", "6", "7", "99999999999"}, // out of range
        {"2", "1", "2", "3", "4", "5", "6", "7", "8"},           // no third pen
        {"-1", "1", "2", "3", "4", "5", "6", "7", "8"},
    };
    for (const QStringList& values : bad) {
        const CliRun r = Cli(SetArgs(path, values));
        EXPECT_EQ(r.Code, 64) << values.join(' ').toStdString();
        EXPECT_TRUE(r.Err.startsWith("Usage:"));
    }
    EXPECT_EQ(TestEnv::Read(path), XmlFile);
    EXPECT_FALSE(TestEnv::Exists(env.BackupDir()));

    const QStringList ok = {"0", "1", "2", "3", "4", "5", "6", "7", "8"};
    EXPECT_EQ(Cli(SetArgs(env.Root() + "/none.dat", ok)).Code, 3);
    EXPECT_EQ(Cli(SetArgs(File("<?xml version=\"1.0\"?><root/>", "ISD_Tablet.dat"), ok)).Code, 2);
}

// The disk takes only the first bytes of every file written: both the backup and the write fail, and the
// preference file keeps its bytes. Small files go through the writer's buffer, big ones past it.
TEST_F(CliTest, SetReportsAFailedWriteAndLeavesTheFile) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows cannot limit the size of a process's files; a write that fails there is "
                    "checked with a preference file another program holds open";
#endif
    QByteArray big = XmlFile;
    big.replace("<root>\n", "<root>\n<Padding>" + QByteArray(64 * 1024, 'p') + "</Padding>\n");
    for (const QByteArray& bytes : {big, XmlFile}) {
        const QString path = File(bytes);
        const CliRun r = Cli(SetArgs(path, {"0", "1", "2", "3", "4", "5", "6", "7", "8"}), 16);
        EXPECT_EQ(r.Code, 1) << bytes.size() << " bytes";
        EXPECT_TRUE(r.Err.contains("Unable to create backup: "));
        EXPECT_TRUE(r.Err.endsWith("Unable to write new config...\n")) << r.Err.constData();
        EXPECT_EQ(TestEnv::Read(path), bytes) << bytes.size() << " bytes";
        EXPECT_EQ(TestEnv::List(QFileInfo(path).absolutePath()), QStringList{"Wacom_Tablet.dat"});
    }
}

// Another program holds the file open without letting it be replaced: on Windows the write fails as a whole,
// the user is told so, and the file keeps its bytes; POSIX systems replace it. The holder reads what it
// opened either way.
TEST_F(CliTest, SetOntoAFileAnotherProgramHoldsOpen) {
    const QString path = File(XmlFile);
    HeldOpenFile held(path, HeldOpenFile::NoReplacing);
    ASSERT_TRUE(held.IsOpen());
    const CliRun r = Cli(SetArgs(path, {"0", "1", "2", "3", "4", "5", "6", "7", "8"}));
#ifdef _WIN32
    EXPECT_EQ(r.Code, 1);
    EXPECT_TRUE(r.Err.endsWith("Unable to write new config...\n")) << r.Err.constData();
    EXPECT_EQ(TestEnv::Read(path), XmlFile);
#else
    EXPECT_EQ(r.Code, 0) << r.Err.constData();
    EXPECT_NE(TestEnv::Read(path), XmlFile);
#endif
    EXPECT_EQ(held.ReadAll(), XmlFile);
}

// A text-format name in the 8-bit code page ("\xE9" is "é" in the Windows code page 1252): show prints it
// as the window reads it in the terminal's code page, the JSON gives it as the window reads it, and set
// writes the file's bytes back unchanged.
TEST_F(CliTest, ATextNameInTheCodePageIsShownListedAndWrittenBackUnchanged) {
    QByteArray bytes = TextFile;
    bytes.replace("ButtonName Tip", "ButtonName Stift \xE9");
    const QString path = File(bytes, "Pen_Tablet.dat");
    const CliRun shown = Cli({"show", path});
    EXPECT_EQ(shown.Out.left(shown.Out.indexOf('\n') + 1),
              QString::fromUtf8("Pen internal name -  Stift \u00e9\n").toLocal8Bit())
        << "exit code " << shown.Code << ", standard error: " << shown.Err.constData();
    const QJsonArray pens = QJsonDocument::fromJson(Cli({"show", "--json", path}).Out).array();
    ASSERT_EQ(pens.size(), 1);
    EXPECT_EQ(pens[0].toObject()["name"].toString().trimmed(), QString::fromUtf8("Stift \u00e9"));
    EXPECT_EQ(Cli(SetArgs(path, {"0", "1", "2", "3", "4", "5", "6", "7", "8"})).Code, 0);
    EXPECT_TRUE(TestEnv::Read(path).contains("ButtonName Stift \xE9\r\n"));
}

TEST_F(CliTest, DetectPrintsTheServiceRow) {
    const QString windowsPath = "C:\\Users\\u\\AppData\\Roaming\\WTablet\\Wacom_Tablet.dat";
    EXPECT_EQ(Cli({"detect", windowsPath}).Out, "1 TabletServiceWacom\n");
    env.Write(env.ProgramFiles() + "/Tablet/Wacom/WTabletServicePro.exe", "");
    const CliRun r = Cli({"detect", windowsPath});
    EXPECT_EQ(r.Code, 0);
    EXPECT_EQ(r.Out, "0 WTabletServicePro\n");
    EXPECT_EQ(Cli({"detect", QDir::fromNativeSeparators(env.WacomFile())}).Out, "-1\n");
}

TEST_F(CliTest, ShowJsonGivesEveryPenWithItsCurveInFileOrder) {
    const QString path = File(XmlFile);
    for (const QStringList& args :
         {QStringList{"show", "--json", path}, QStringList{"show", path, "--json"}}) {
        const CliRun r = Cli(args);
        ASSERT_EQ(r.Code, 0) << r.Err.constData();
        EXPECT_TRUE(r.Err.isEmpty());
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(r.Out, &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << r.Out.constData();
        ASSERT_TRUE(doc.isArray());
        const QJsonArray pens = doc.array();
        ASSERT_EQ(pens.size(), 2);
        const QJsonObject eraser = pens[1].toObject();
        EXPECT_EQ(pens[0].toObject()["name"].toString(), "Tip");
        EXPECT_EQ(eraser["name"].toString(), "Eraser");
        EXPECT_EQ(eraser["resolution"].toInt(), 511);
        EXPECT_EQ(eraser["curve"].toArray(), (QJsonArray{1, 2, 3, 4, 5, 6}));
        EXPECT_EQ(eraser["upperThreshold"].toInt(), 500);
        EXPECT_EQ(eraser["lowerThreshold"].toInt(), -1);
    }
    // Failures keep their exit codes and print no half array.
    const CliRun missing = Cli({"show", "--json", env.Root() + "/nothing.dat"});
    EXPECT_EQ(missing.Code, 3);
    EXPECT_TRUE(missing.Out.isEmpty());
    EXPECT_EQ(Cli({"show", "--json", File("<?xml version=\"1.0\"?><root/>", "ISD_Tablet.dat")}).Code, 2);
}

TEST_F(CliTest, CurveGivesTheOutputAtEvenlySpreadForces) {
    const QString path = File(XmlFile);
    // The tip's curve is straight: 10 steps of 102.3, rounded half to even (511.5 gives 512).
    const CliRun tip = Cli({"curve", path, "0"});
    ASSERT_EQ(tip.Code, 0) << tip.Err.constData();
    EXPECT_EQ(tip.Out, "0 0\n102 102\n205 205\n307 307\n409 409\n512 512\n614 614\n716 716\n818 818\n"
                       "921 921\n1023 1023\n");
    // The eraser's curve runs from force 1 (output 2) to force 5 (output 6): forces beyond it take the
    // nearest end's output.
    const CliRun eraser = Cli({"curve", "--json", path, "1", "--steps", "2"});
    ASSERT_EQ(eraser.Code, 0) << eraser.Err.constData();
    const QJsonObject doc = QJsonDocument::fromJson(eraser.Out).object();
    EXPECT_EQ(doc["name"].toString(), "Eraser");
    EXPECT_EQ(doc["resolution"].toInt(), 511);
    EXPECT_EQ(doc["points"].toArray(), (QJsonArray{QJsonObject{{"force", 0}, {"output", 2}},
                                                   QJsonObject{{"force", 256}, {"output", 6}},
                                                   QJsonObject{{"force", 511}, {"output", 6}}}));

    // Bad index or steps: the usage status with nothing on standard output; then the file's own failures.
    for (const QStringList& args :
         {QStringList{"curve", path, "2"}, QStringList{"curve", path, "-1"}, QStringList{"curve", path, "x"},
          QStringList{"curve", path, "0", "--steps", "0"},
          QStringList{"curve", path, "0", "--steps", "100001"},
          QStringList{"curve", path, "0", "--steps", "1e3"}}) {
        const CliRun bad = Cli(args);
        EXPECT_EQ(bad.Code, 64) << args.join(' ').toStdString();
        EXPECT_TRUE(bad.Out.isEmpty()) << args.join(' ').toStdString();
    }
    EXPECT_EQ(Cli({"curve", path, "0", "--steps", "100000"}).Out.count('\n'), 100001);
    EXPECT_EQ(Cli({"curve", env.Root() + "/nothing.dat", "0"}).Code, 3);
    EXPECT_EQ(Cli({"curve", File("<?xml version=\"1.0\"?><root/>", "ISD_Tablet.dat"), "0"}).Code, 2);
}

// A name is UTF-8 when it reads as such, else one character a byte, as the window shows it: in the JSON
// and in the listing, printed in the terminal's code page (UTF-8 here, the ANSI code page on Windows).
TEST_F(CliTest, ShowDecodesNamesAsTheWindowDoes) {
    QByteArray utf8 = XmlFile;
    utf8.replace(">Tip<", ">Stift\xc3\xa9<");
    QByteArray latin1 = TextFile;
    latin1.replace(" Tip\r\n", " Stift\xe9\r\n");
    const QString name = QString::fromUtf8("Stift\xc3\xa9");
    // The text format keeps the blank after the key as part of the name.
    const QList<std::pair<QString, QString>> files = {{File(utf8), name},
                                                      {File(latin1, "Pen_Tablet.dat"), u' ' + name}};
    for (const auto& [path, shown] : files) {
        const CliRun json = Cli({"show", path, "--json"});
        EXPECT_EQ(QJsonDocument::fromJson(json.Out).array()[0].toObject()["name"].toString(), shown)
            << json.Out.constData();
        EXPECT_TRUE(Cli({"show", path}).Out.contains("- " + shown.toLocal8Bit() + "\n"))
            << path.toStdString();
    }
}

TEST_F(CliTest, VersionStandsAloneAndOtherOptionsAreRefused) {
    const CliRun version = Cli({"--version"});
    EXPECT_EQ(version.Code, 0);
    EXPECT_EQ(version.Out, QByteArray("nibwright-cli ") + NibVersion + "\n");
    EXPECT_TRUE(version.Err.isEmpty());

    const QString path = File(XmlFile);
    const QList<QStringList> bad = {
        {"--version", "show", path},        {"show", path, "--version"},    {"--verbose"},
        {"show", "--json", "--json", path}, {"show", "--xml", path},        {"show", path, "extra"},
        {"show", path, "--json=yes"},       {"show", "--", path, "--json"},
    };
    for (const QStringList& args : bad) {
        const CliRun r = Cli(args);
        EXPECT_EQ(r.Code, 64) << args.join(' ').toStdString();
        EXPECT_TRUE(r.Out.isEmpty()) << args.join(' ').toStdString();
        EXPECT_TRUE(r.Err.startsWith("Usage:")) << args.join(' ').toStdString();
    }
}

TEST_F(CliTest, OptionsStandAnywhereAndADoubleDashEndsThem) {
    const CliRun before = Cli({"backups", "--json", File(XmlFile)});
    EXPECT_EQ(before.Code, 0) << before.Err.constData();
    EXPECT_TRUE(QJsonDocument::fromJson(before.Out).isObject()) << before.Out.constData();

    // A file whose name begins with a dash: an unknown option before "--", the file after it.
    File(XmlFile, "-x.dat");
    WorkDir = env.Root() + "/AppData/WTablet";
    const CliRun refused = Cli({"set", "-x.dat", "0", "1", "2", "3", "4", "5", "6", "7", "8"});
    EXPECT_EQ(refused.Code, 64);
    EXPECT_TRUE(refused.Err.startsWith("Usage:"));
    EXPECT_FALSE(TestEnv::Exists(env.BackupDir()));
    const CliRun shown = Cli({"show", "--json", "--", "-x.dat"});
    EXPECT_EQ(shown.Code, 0) << shown.Err.constData();
    EXPECT_EQ(QJsonDocument::fromJson(shown.Out).array().size(), 2);
    const CliRun set = Cli({"set", "--", "-x.dat", "1", "-1", "2", "3", "4", "5", "6", "7", "8"});
    EXPECT_EQ(set.Code, 0) << set.Err.constData();
    EXPECT_TRUE(TestEnv::Read(WorkDir + "/-x.dat").contains(">0 2 3 4 5 6<"));
}

// An installed copy: the program's folder cannot be written and holds neither settings nor Backup, so the
// dated backup goes to the per-user data folder and nothing lands beside the program.
TEST_F(CliTest, SetFromAReadOnlyProgramFolderKeepsItsBackupInTheUserFolder) {
    const QString path = File(XmlFile);
    ReadOnlyFolder readOnly(env.AppDir());
    if (!readOnly.Effective())
        GTEST_SKIP() << "the program folder cannot be made read-only here";
    const CliRun r = Cli(SetArgs(path, {"0", "1", "2", "3", "4", "5", "6", "7", "8"}));
    EXPECT_EQ(r.Code, 0) << r.Err.constData();
    const QStringList backups = TestEnv::List(env.UserDataDir() + "Backup");
    ASSERT_EQ(backups.size(), 1);
    EXPECT_EQ(TestEnv::Read(env.UserDataDir() + "Backup/" + backups[0]), XmlFile);
    EXPECT_EQ(QDir(env.AppDir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"nibwright-cli"});
}

// The window's program answers --version without a display, wherever it stands, and starts as usual with
// anything else: "Open with" hands it a file, and a program without a console that refused it would end
// without a word.
TEST(WindowProgram, VersionNeedsNoDisplayAndOtherArgumentsAreIgnored) {
    const auto run = [](const QStringList& args, bool offscreen) {
        QProcess p;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        if (offscreen)
            environment.insert("QT_QPA_PLATFORM", "offscreen");
        else
            environment.remove("QT_QPA_PLATFORM");
        p.setProcessEnvironment(environment);
        CliRun run = RunToEnd(p, QStringLiteral(NIB_GUI_PATH), args);
        run.Out = FromConsole(run.Out);
        return run;
    };
    for (const QStringList& args : {QStringList{"--version"}, QStringList{"x.dat", "--version", "--help"}}) {
        const CliRun version = run(args, false);
        EXPECT_EQ(version.Code, 0) << version.Err.constData();
        EXPECT_EQ(version.Out, QByteArray("nibwright ") + NibVersion + "\n");
    }

    // A copy of its own, so that the backup point of its first load lands in the scratch folder: that file
    // shows the window is up, and which file it opened.
    TestEnv env;
#ifdef _WIN32
    const QString program = env.AppDir() + "nibwright.exe";
#else
    const QString program = env.AppDir() + "nibwright";
#endif
    ASSERT_TRUE(QFile::copy(QStringLiteral(NIB_GUI_PATH), program));
    env.Write(env.WacomFile(), XmlFile);
    QProcess p;
    p.start(program, {"-platform", "offscreen", env.Write("Elsewhere/Given.dat", TextFile), "--frobnicate"});
    for (int waited = 0; waited < 60000 && !TestEnv::Exists(env.BackupPoint()); waited += 50)
        p.waitForFinished(50);
    EXPECT_EQ(p.state(), QProcess::Running) << "exit code " << p.exitCode();
    p.kill();
    p.waitForFinished(10000);
    EXPECT_EQ(TestEnv::Read(env.BackupPoint()), XmlFile) << "the default file, not the one given";
}

// --- The Backup folder beside the program
// -------------------------------------------------------------------

namespace {

class CliBackupsTest : public CliTest {
protected:
    void SetUp() override {
        CliTest::SetUp();
        Put("Pen_Tablet_03-14-2026_10-00-00.bak", XmlFile);
        Put("Pen_Tablet_03-14-2026_10-00-00_2.bak", TextFile);
        Put("Pen_Tablet_12-31-2025_23-59-59.bak", "<?xml version=\"1.0\"?><root/>");
        Put("FirstRunBackup.bak", XmlFile);
        Put("Pen_Tablet_13-14-2026_10-00-00.bak", XmlFile); // no such month: not a backup
        Put("readme.txt", XmlFile);
    }
    QString Put(const QString& name, const QByteArray& bytes) {
        return env.Write(env.BackupDir() + "/" + name, bytes);
    }
};

} // namespace

TEST_F(CliBackupsTest, BackupsListsTheRowsNewestFirstWithTheBackupPointLast) {
    const CliRun r = Cli({"backups", File(XmlFile)});
    EXPECT_EQ(r.Code, 0) << r.Err.constData();
    const QList<QByteArray> lines = r.Out.split('\n');
    ASSERT_EQ(lines.size(), 5) << r.Out.constData(); // four rows and the end of the last line
    const auto columns = [&](int i) { return lines[i].split('\t'); };
    EXPECT_EQ(columns(0)[0], "Pen_Tablet_03-14-2026_10-00-00_2.bak");
    EXPECT_EQ(columns(0).mid(2), QList<QByteArray>({"text", "1", ""}));
    EXPECT_EQ(columns(1)[0], "Pen_Tablet_03-14-2026_10-00-00.bak");
    EXPECT_EQ(columns(1).mid(2), QList<QByteArray>({"XML", "2", ""}));
    EXPECT_EQ(columns(2)[0], "Pen_Tablet_12-31-2025_23-59-59.bak");
    EXPECT_EQ(columns(2).mid(2), QList<QByteArray>({"XML", "", "damaged"}));
    EXPECT_EQ(columns(3)[0], "FirstRunBackup.bak");
    EXPECT_EQ(columns(3).mid(2), QList<QByteArray>({"XML", "2", "backup point"}));
    EXPECT_TRUE(lines[4].isEmpty());
}

TEST_F(CliBackupsTest, BackupsAsJsonTellsWhichRowsFitTheFile) {
    const CliRun r = Cli({"backups", File(TextFile, "Pen_Tablet.dat"), "--json"});
    EXPECT_EQ(r.Code, 0) << r.Err.constData();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(r.Out, &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << r.Out.constData();
    EXPECT_EQ(doc["folder"].toString(), env.BackupDir());
    const QJsonArray rows = doc["backups"].toArray();
    ASSERT_EQ(rows.size(), 4);
    const QJsonObject newest = rows[0].toObject();
    EXPECT_EQ(newest["name"].toString(), "Pen_Tablet_03-14-2026_10-00-00_2.bak");
    EXPECT_EQ(newest["path"].toString(),
              QDir::toNativeSeparators(env.BackupDir() + "/Pen_Tablet_03-14-2026_10-00-00_2.bak"));
    EXPECT_EQ(newest["time"].toString(), "2026-03-14T10:00:00");
    EXPECT_EQ(newest["format"].toString(), "text");
    EXPECT_EQ(newest["pens"].toInt(), 1);
    EXPECT_EQ(newest["size"].toInt(), TextFile.size());
    EXPECT_FALSE(newest["damaged"].toBool());
    EXPECT_TRUE(newest["restorable"].toBool());
    EXPECT_FALSE(rows[1].toObject()["restorable"].toBool()) << "XML does not fit a text file";
    const QJsonObject damaged = rows[2].toObject();
    EXPECT_TRUE(damaged["damaged"].toBool());
    EXPECT_TRUE(damaged["pens"].isNull());
    EXPECT_FALSE(damaged["restorable"].toBool());
    EXPECT_TRUE(rows[3].toObject()["backupPoint"].toBool());
}

TEST_F(CliBackupsTest, BackupsWithoutTheFileOrWithBadArgumentsFails) {
    EXPECT_EQ(Cli({"backups", env.Root() + "/none.dat"}).Code, 3);
    EXPECT_EQ(Cli({"backups", File(XmlFile), "--xml"}).Code, 64);
    EXPECT_EQ(Cli({"backups"}).Code, 64);
}

TEST_F(CliBackupsTest, RestorePutsTheBackupBackAfterADatedBackupOfTheFile) {
    QByteArray current = XmlFile;
    current.replace(">1 2 3 4 5 6<", ">6 5 4 3 2 1<");
    const QString path = File(current);
    const QStringList before = TestEnv::List(env.BackupDir());

    const CliRun r = Cli({"restore", path, "Pen_Tablet_03-14-2026_10-00-00.bak"});

    EXPECT_EQ(r.Code, 0) << r.Err.constData();
    EXPECT_TRUE(r.Out.isEmpty());
    EXPECT_TRUE(r.Err.isEmpty());
    EXPECT_EQ(TestEnv::Read(path), XmlFile);
    QStringList added = TestEnv::List(env.BackupDir());
    for (const QString& name : before)
        added.removeOne(name);
    ASSERT_EQ(added.size(), 1);
    EXPECT_TRUE(added[0].startsWith("Pen_Tablet_"));
    EXPECT_EQ(TestEnv::Read(env.BackupDir() + "/" + added[0]), current);

    // A path names any backup file, inside the folder or not.
    const QString elsewhere = env.Write(env.Root() + "/kept/mine.bak", current);
    EXPECT_EQ(Cli({"restore", path, elsewhere}).Code, 0);
    EXPECT_EQ(TestEnv::Read(path), current);
}

TEST_F(CliBackupsTest, RestoreGivesEachRefusalItsOwnExitStatusAndWritesNothing) {
    const QString xml = File(XmlFile);
    const QString text = File(TextFile, "Pen_Tablet.dat");
    const QString invalid = File("<?xml version=\"1.0\"?><root/>", "ISD_Tablet.dat");
    const QStringList before = TestEnv::List(env.BackupDir());
    struct Case {
        QStringList Args;
        int Code;
        QByteArray Err;
    };
    const QList<Case> cases = {
        {{xml, "Pen_Tablet_03-14-2026_10-00-00_2.bak"}, 5, "Different config versions : XML vs Non-XML\n"},
        {{text, "Pen_Tablet_03-14-2026_10-00-00.bak"}, 5, "Different config versions : XML vs Non-XML\n"},
        {{xml, "Pen_Tablet_12-31-2025_23-59-59.bak"}, 4, "Unable to locate valid Backup file...\n"},
        {{xml, "Pen_Tablet_01-01-2020_00-00-00.bak"}, 4, "Unable to locate valid Backup file...\n"},
        {{xml, "readme.txt"}, 4, "Unable to locate valid Backup file...\n"},
        {{xml, "Pen_Tablet_13-14-2026_10-00-00.bak"}, 4, "Unable to locate valid Backup file...\n"},
        {{xml, env.Root() + "/none.bak"}, 4, "Unable to locate valid Backup file...\n"},
        {{env.Root() + "/none.dat", "FirstRunBackup.bak"}, 3, "Wacom Configuration File Not Found...\n"},
        {{invalid, "FirstRunBackup.bak"},
         2,
         "ISD_Tablet.dat configuration file is without necessary values -> Try to run Wacom Configuration "
         "first.\n"},
    };
    for (const Case& c : cases) {
        const CliRun r = Cli(QStringList{"restore"} + c.Args);
        EXPECT_EQ(r.Code, c.Code) << c.Args.join(' ').toStdString();
        EXPECT_EQ(r.Err, c.Err) << c.Args.join(' ').toStdString();
    }
    EXPECT_EQ(TestEnv::Read(xml), XmlFile);
    EXPECT_EQ(TestEnv::Read(text), TextFile);
    EXPECT_EQ(TestEnv::List(env.BackupDir()), before) << "no dated backup was made";
    EXPECT_EQ(Cli({"restore", xml}).Code, 64);
    EXPECT_EQ(Cli({"restore", xml, "FirstRunBackup.bak", "extra"}).Code, 64);
}

TEST_F(CliBackupsTest, RestoreThatCannotWriteSaysSoAndLeavesTheFile) {
    QByteArray current = XmlFile;
    current.replace(">1 2 3 4 5 6<", ">6 5 4 3 2 1<");
    const QString path = File(current);

#ifdef _WIN32
    // Windows limits no process's file sizes. What fails there is replacing a file another program holds
    // open without letting it be replaced: the backup is made, the write fails as a whole and says so.
    HeldOpenFile held(path, HeldOpenFile::NoReplacing);
    ASSERT_TRUE(held.IsOpen());
    const CliRun r = Cli({"restore", path, "FirstRunBackup.bak"});

    EXPECT_EQ(r.Code, 1);
    EXPECT_TRUE(r.Err.startsWith("Cannot write " + path.toLocal8Bit() + ": ")) << r.Err.constData();
#else
    const CliRun r = Cli({"restore", path, "FirstRunBackup.bak"}, 16);

    EXPECT_EQ(r.Code, 1);
    EXPECT_TRUE(r.Err.startsWith("Unable to create backup: ")) << r.Err.constData();
#endif
    EXPECT_EQ(TestEnv::Read(path), current);
}

TEST_F(CliTest, CopyPutsOnePensCurveOnOthersRescaledWithOneBackupAndOneWrite) {
    // A third pen, a tip of another resolution.
    const QByteArray file = QByteArray(XmlFile).replace(
        "</root>",
        "  "
        "<TransducerTipButtonSettings><ButtonName>Tip</ButtonName><PressureResolution>2047</"
        "PressureResolution>"
        "<PressureCurveControlPoint>0 0 0 0 0 0</PressureCurveControlPoint>"
        "<UpperPressureThreshold>0</UpperPressureThreshold>"
        "<LowerPressureThreshold>0</LowerPressureThreshold></TransducerTipButtonSettings>\n</root>");
    const QString path = File(file);

    // Refused with nothing written: unknown pens, no target, FROM among the targets, a word that is no index.
    for (const QStringList& args :
         {QStringList{"copy", path, "0", "3"}, QStringList{"copy", path, "7", "1"},
          QStringList{"copy", path, "0"}, QStringList{"copy", path, "1", "same-name"},
          QStringList{"copy", path, "0", "2", "0"}, QStringList{"copy", path, "0", "x"},
          QStringList{"copy", path, "0", "same-name", "1"}}) {
        const CliRun r = Cli(args);
        EXPECT_EQ(r.Code, 64) << args.join(' ').toStdString();
        EXPECT_EQ(TestEnv::Read(path), file);
    }
    EXPECT_TRUE(env.DatedBackups().isEmpty());

    const CliRun r = Cli({"copy", path, "0", "same-name"});
    ASSERT_EQ(r.Code, 0) << r.Err.constData();
    const CliRun shown = Cli({"show", path});
    EXPECT_TRUE(
        shown.Out.contains("Pen internal name - Tip\nPressureCurveControlPoint 0 0 1025 1025 2047 2047\n"
                           "UpperPressureThreshold 2001\nLowerPressureThreshold 40\n"))
        << shown.Out.constData();
    EXPECT_TRUE(shown.Out.contains("PressureCurveControlPoint 1 2 3 4 5 6")); // the eraser untouched
    EXPECT_EQ(env.DatedBackups().size(), 1);
    EXPECT_EQ(TestEnv::Read(env.BackupDir() + "/" + env.DatedBackups()[0]), file);

    EXPECT_EQ(Cli({"copy", path, "1", "0", "2"}).Code, 0);
    const QByteArray listing = Cli({"show", path}).Out;
    EXPECT_TRUE(listing.contains("PressureCurveControlPoint 2 4 6 8 10 12\nUpperPressureThreshold 1001\n"
                                 "LowerPressureThreshold 0\n"));
    EXPECT_TRUE(listing.contains("PressureCurveControlPoint 4 8 12 16 20 24\nUpperPressureThreshold 2003\n"
                                 "LowerPressureThreshold 0\n"));
}
