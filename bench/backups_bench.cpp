// Opening "Earlier Backups" on a Backup folder of 1,000 dated backups of 100 KB each, until the list is
// filled and laid out, against listing the same folder with QDir::entryInfoList. What the backups hold is
// read afterwards on the dialog's worker thread and is not part of the opening.

#include "bench/BenchInputs.h"
#include "bench/BenchReport.h"
#include "bench/BenchWindow.h"
#include "ui/Application.h"
#include "ui/Form_Backups.h"
#include "ui/Prompter.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QLocale>
#include <QTemporaryDir>
#include <QTreeView>

#include <benchmark/benchmark.h>

namespace {

constexpr int BackupCount = 1000;

// The folder: the backups one minute apart, and the few other files a real folder gathers.
struct Folder {
    QTemporaryDir Dir;
    QString Path() const { return Dir.path() + "/Backup"; }
    Folder() {
        QDir().mkpath(Path());
        const QByteArray bytes = bench::MakeXmlPreferences(bench::KB100).Bytes;
        const QDateTime first(QDate(2025, 1, 1), QTime(8, 0, 0));
        for (int i = 0; i < BackupCount; ++i) {
            const QDateTime when = first.addSecs(60 * i);
            const QString name = QStringLiteral("Pen_Tablet_") +
                                 QLocale::c().toString(when, QStringLiteral("MM-dd-yyyy_HH-mm-ss")) +
                                 QStringLiteral(".bak");
            bench::WriteInput(Path(), name, bytes);
        }
        bench::WriteInput(Path(), QStringLiteral("FirstRunBackup.bak"), bytes);
        bench::WriteInput(Path(), QStringLiteral("desktop.ini"), "[.ShellClassInfo]\r\n");
    }
};

Folder& TheFolder() {
    static Folder folder;
    return folder;
}

class SilentPrompter : public IPrompter {
public:
    void Message(const QString&) override {}
    int Question(const QString&, const QString&, unsigned) override { return IDNO; }
    std::optional<QString> OpenFile(QWidget*, const OpenFileOptions&) override { return std::nullopt; }
    int ShowModal(QDialog*) override { return 0; }
    void Error(const QString&) override {}
    void OpenUrl(const QString&) override {}
};

void ListFolder(benchmark::State& state) {
    const QString path = TheFolder().Path();
    for (auto _ : state) {
        const QFileInfoList list = QDir(path).entryInfoList(QDir::Files);
        if (list.size() != BackupCount + 2)
            state.SkipWithError("the folder does not list every file");
        benchmark::DoNotOptimize(list.constData());
    }
}

void ListBackupsAlone(benchmark::State& state) {
    const QString path = TheFolder().Path();
    for (auto _ : state) {
        const auto entries = ListBackups(path);
        if (entries.size() != BackupCount + 1)
            state.SkipWithError("the listing misses backups");
        benchmark::DoNotOptimize(entries.data());
    }
}

void OpenDialog(benchmark::State& state) {
    const QString path = TheFolder().Path();
    SilentPrompter prompter;
    TFormBackups dialog(prompter, nullptr);
    Pen pen;
    pen.ButtonName = "Tip";
    pen.PressureResolution = 1023;
    const APen pens{pen};
    for (auto _ : state) {
        dialog.Open(path, pens, 0);
        dialog.List->doItemsLayout();
        if (dialog.Entries().size() != BackupCount + 1)
            state.SkipWithError("the dialog does not list every backup");
        // The reading that the opening started goes on after the list is shown; it is stopped outside the
        // timing, so that it neither runs into the next opening nor piles its results up in the queue.
        state.PauseTiming();
        dialog.StopReading();
        QCoreApplication::sendPostedEvents(&dialog);
        state.ResumeTiming();
    }
}

} // namespace

int main(int argc, char** argv) {
    bench::UseOffscreenUnlessChosen();
    TNibApplication app(argc, argv);
    TheFolder();
    benchmark::RegisterBenchmark("ListFolder/1000x100KB", ListFolder)
        ->MinTime(0.2)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ListBackups/1000x100KB", ListBackupsAlone)
        ->MinTime(0.2)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("OpenBackups/1000x100KB", OpenDialog)
        ->MinTime(0.2)
        ->Unit(benchmark::kMillisecond);
    return bench::RunBenchmarks(argc, argv, [](bench::Summary& s) {
        s.Ratio("earlier backups 1000x100KB vs entryInfoList", "OpenBackups/1000x100KB",
                "ListFolder/1000x100KB", 3.0);
    });
}
