// Start-up and memory of the program against a bare Qt Widgets program, both on the offscreen platform.
//
// Start-up: from just before the process is started until its main window has been painted for the first
// time, with a 1 MB XML preference file in the default place (the window loads it before it is shown).
// Memory: the peak resident memory with a 10 MB XML file loaded, less the bare program's peak.
// The runs of the programs alternate, so that a disturbance of the machine hits all alike. A third program,
// the bare window with one titled group box, is timed beside them as a reference without a target: the
// share of the start-up that any window with a caption pays on this platform.

#include "bench/BenchInputs.h"
#include "bench/BenchStats.h"
#include "bench/tools/Process.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <vector>

namespace {

struct Sample {
    // From the spawn to main, main to the application object, to the five windows, to the return of show
    // (the load), and the rest until painted. Only the probe reports the middle two.
    std::vector<double> ToMain, ToApp, ToForms, ToShow, ToPaint;
    std::vector<double> StartMs;
    std::vector<double> CpuMs;
    std::vector<double> RssKb;
};

// A scratch world for one input size: ROOT/AppData/WTablet/Wacom_Tablet.dat and the program folder
// ROOT/app/, where the program keeps its settings file and its backups.
QString PrepareRoot(const QTemporaryDir& dir, qint64 size) {
    const QString root = dir.path();
    bench::WriteInput(root + "/AppData/WTablet", "Wacom_Tablet.dat", bench::MakeXmlPreferences(size).Bytes);
    QDir().mkpath(root + "/app");
    QDir().mkpath(root + "/ProgramFiles");
    return root;
}

void RunOnce(const QString& program, const QStringList& args, Sample& into) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    const bench::ProcessRun r = bench::RunProgram(program, args, env);
    if (r.ExitCode != 0)
        throw std::runtime_error(program.toStdString() + " ended with " + std::to_string(r.ExitCode) + ": " +
                                 r.Err.toStdString());
    const long long painted = bench::OutputValue(r.Out, "shown_ns");
    into.StartMs.push_back((painted - r.SpawnNs) / 1e6);
    const long long entered = bench::OutputValue(r.Out, "main_ns");
    const long long application = bench::OutputValue(r.Out, "app_ns");
    into.ToMain.push_back((entered - r.SpawnNs) / 1e6);
    into.ToApp.push_back((application - entered) / 1e6);
    if (r.Out.contains("forms_ns=")) {
        const long long forms = bench::OutputValue(r.Out, "forms_ns");
        const long long show = bench::OutputValue(r.Out, "show_ns");
        into.ToForms.push_back((forms - application) / 1e6);
        into.ToShow.push_back((show - forms) / 1e6);
        into.ToPaint.push_back((painted - show) / 1e6);
    } else {
        into.ToPaint.push_back((painted - application) / 1e6);
    }
    into.CpuMs.push_back(bench::OutputValue(r.Out, "cpu_ns") / 1e6);
    into.RssKb.push_back(static_cast<double>(bench::OutputValue(r.Out, "maxrss_kb")));
}

bool Row(const char* label, double measured, double baseline, const char* unit, double ratio,
         const char* target, bool met) {
    std::printf("%-34s median %10.3f %s  baseline %10.3f %s  ratio %6.2f  target %s  %s\n", label, measured,
                unit, baseline, unit, ratio, target, met ? "MET" : "MISSED");
    return met;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int runs = 15;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
    try {
        const QString bare = QStringLiteral(NIB_BARE_WINDOW);
        const QString groupBox = QStringLiteral(NIB_GROUPBOX_WINDOW);
        const QString probe = QStringLiteral(NIB_STARTUP_PROBE);

        QTemporaryDir small, big;
        const QString smallRoot = PrepareRoot(small, bench::MB1);
        const QString bigRoot = PrepareRoot(big, bench::MB10);

        // One start of each, not counted: loads the libraries and fonts into the page cache and writes the
        // first-run backup, so that every counted start is an ordinary one.
        Sample warm;
        RunOnce(bare, {}, warm);
        RunOnce(groupBox, {}, warm);
        RunOnce(probe, {smallRoot}, warm);
        RunOnce(probe, {bigRoot}, warm);

        Sample bareRuns, groupBoxRuns, probeRuns, bigRuns;
        for (int i = 0; i < runs; ++i) {
            RunOnce(bare, {}, bareRuns);
            RunOnce(groupBox, {}, groupBoxRuns);
            RunOnce(probe, {smallRoot}, probeRuns);
            if (i < std::max(3, runs / 3))
                RunOnce(probe, {bigRoot}, bigRuns);
        }

        std::printf("== start-up and memory (%d starts each, offscreen)\n", runs);
        const double bareMs = bench::Median(bareRuns.StartMs);
        const double probeMs = bench::Median(probeRuns.StartMs);
        const double ratio = probeMs / bareMs;
        bool all = Row("start-up, 1MB XML loaded", probeMs, bareMs, "ms", ratio, "<= 1.50", ratio <= 1.5);

        std::printf(
            "%-34s spawn-main %.1f, application %.1f, windows %.1f, show+load %.1f, to painted %.1f ms\n",
            "  program, medians of the steps", bench::Median(probeRuns.ToMain),
            bench::Median(probeRuns.ToApp), bench::Median(probeRuns.ToForms), bench::Median(probeRuns.ToShow),
            bench::Median(probeRuns.ToPaint));
        std::printf("%-34s spawn-main %.1f, application %.1f, to painted %.1f ms\n",
                    "  bare window, the same", bench::Median(bareRuns.ToMain), bench::Median(bareRuns.ToApp),
                    bench::Median(bareRuns.ToPaint));
        const double groupBoxMs = bench::Median(groupBoxRuns.StartMs);
        std::printf(
            "%-34s median %10.3f ms  baseline %10.3f ms  ratio %6.2f  (no target: the bare window with "
            "one titled group box)\n",
            "start-up, first caption", groupBoxMs, bareMs, groupBoxMs / bareMs);
        const double bareCpu = bench::Median(bareRuns.CpuMs), probeCpu = bench::Median(probeRuns.CpuMs);
        std::printf("%-34s median %10.3f ms  baseline %10.3f ms  ratio %6.2f  (processor time until shown, "
                    "no target)\n",
                    "start-up, 1MB XML loaded", probeCpu, bareCpu, probeCpu / bareCpu);

        const double bareKb = bench::Median(bareRuns.RssKb);
        const double bigKb = bench::Median(bigRuns.RssKb);
        const double fileKb = bench::MB10 / 1024.0;
        const double aboveMb = (bigKb - bareKb) / 1024.0;
        const double perFile = (bigKb - bareKb) / fileKb;
        std::printf(
            "%-34s peak %8.1f MB  baseline %8.1f MB  above %6.1f MB = %4.2f x file  target <= 6.00 x  %s\n",
            "memory, 10MB XML loaded", bigKb / 1024.0, bareKb / 1024.0, aboveMb, perFile,
            perFile <= 6.0 ? "MET" : "MISSED");
        all = all && perFile <= 6.0;
        std::printf("%-34s median %10.3f ms (not a target: start-up with the 10MB file)\n",
                    "start-up, 10MB XML loaded", bench::Median(bigRuns.StartMs));
        return all ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "startup_timer: %s\n", e.what());
        return 2;
    }
}
