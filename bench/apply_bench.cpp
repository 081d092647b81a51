// "Apply Changes" on a loaded file: the dated backup, storing the edited pens (which, for XML, reads the file
// from disk again) and the atomic save over the preference file, against the least any such sequence must
// do: two atomic copies of the file, one into the backup folder and one over the file itself, each reading
// the file and writing it through the same atomic writer. Both formats at 100 KB, 1 MB and 10 MB.

#include "bench/BenchInputs.h"
#include "bench/BenchReport.h"
#include "data/ConfigWorkflow.h"
#include "system/AtomicFile.h"
#include "tests/support/Platform_fake.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct Input {
    std::string Label; // "XML/10MB"
    QByteArray Bytes;
    bool Xml = true;
};

// The program folder (where the backups go) and the preference files live in one temporary folder; the
// platform reports the program as lying in its "app" folder.
struct World {
    QTemporaryDir Dir;
    FakePlatform Fake;
    World() {
        QDir(Dir.path()).mkpath("app");
        Fake.ExePath = (Dir.path() + "/app/nibwright").toStdString();
        SetPlatform(&Fake);
    }
    ~World() { SetPlatform(nullptr); }
    QString Backups() const { return Dir.path() + "/app/Backup"; }
};

World& TheWorld() {
    static World world;
    return world;
}

const std::vector<Input>& Inputs() {
    static const std::vector<Input> inputs = [] {
        std::vector<Input> v;
        for (qint64 size : {bench::KB100, bench::MB1, bench::MB10}) {
            const std::string s = bench::SizeLabel(size);
            v.push_back({"XML/" + s, bench::MakeXmlPreferences(size).Bytes, true});
            v.push_back({"Text/" + s, bench::MakeTextPreferences(size).Bytes, false});
        }
        return v;
    }();
    return inputs;
}

// Removes the backups of the last iteration, so that the backup folder stays as small as in real use and
// the search for a free backup name never grows with the iteration count.
void ClearBackups(const World& w) {
    QDir backups(w.Backups());
    for (const QString& name : backups.entryList(QDir::Files))
        backups.remove(name);
}

void ApplySequence(benchmark::State& state, const Input& in) {
    World& w = TheWorld();
    const QString path = bench::WriteInput(
        w.Dir.path(), QString::fromStdString("apply-" + in.Label).replace('/', '-'), in.Bytes);
    const std::unique_ptr<TFileHandler> handler = MakeHandler(path, in.Xml);
    if (!handler->IsValid()) {
        state.SkipWithError("the generated file did not load");
        return;
    }
    bool failed = false;
    handler->SetMessenger([&](const QString&) { failed = true; });
    // Two edits of the last pen that alternate, so that every write changes the file.
    APen pens = handler->GetPens();
    APen edited[2] = {pens, pens};
    edited[0].back().P2Y = 300;
    edited[1].back().P2Y = 700;
    edited[1].back().UpperThreshold = 15;

    int turn = 0;
    for (auto _ : state) {
        if (!WriteEditedPens(handler.get(), edited[turn]).Written)
            failed = true;
        turn ^= 1;
        state.PauseTiming();
        ClearBackups(w);
        state.ResumeTiming();
    }
    if (failed)
        state.SkipWithError("the dated backup or the write failed");
    // The file on disk must hold the last stored pens: a sequence that wrote nothing would be fast for the
    // wrong reason.
    const std::unique_ptr<TFileHandler> check = MakeHandler(path, in.Xml);
    if (!check->IsValid() || check->GetPens().back().P2Y != edited[turn ^ 1].back().P2Y)
        state.SkipWithError("the file does not hold the stored pens");
    state.SetBytesProcessed(state.iterations() * in.Bytes.size());
}

void TwoAtomicCopies(benchmark::State& state, const Input& in) {
    World& w = TheWorld();
    const QString path = bench::WriteInput(
        w.Dir.path(), QString::fromStdString("copy-" + in.Label).replace('/', '-'), in.Bytes);
    CreateFolders(w.Backups());
    const QString backup = w.Backups() + "/copy.bak";
    for (auto _ : state) {
        WriteFileAtomic(backup, bench::ReadAll(path));
        WriteFileAtomic(path, bench::ReadAll(path));
        state.PauseTiming();
        ClearBackups(w);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * in.Bytes.size());
}

} // namespace

int main(int argc, char** argv) {
    TheWorld();
    for (const Input& in : Inputs()) {
        benchmark::RegisterBenchmark(("TwoCopies/" + in.Label).c_str(), TwoAtomicCopies, in)
            ->MinTime(0.1)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Apply/" + in.Label).c_str(), ApplySequence, in)
            ->MinTime(0.1)
            ->Unit(benchmark::kMillisecond);
    }
    return bench::RunBenchmarks(argc, argv, [](bench::Summary& s) {
        s.Ratio("apply 1MB XML vs two copies", "Apply/XML/1MB", "TwoCopies/XML/1MB", 3.0);
        s.Ratio("apply 10MB XML vs two copies", "Apply/XML/10MB", "TwoCopies/XML/10MB", 3.0);
        s.Ratio("apply 1MB text vs two copies", "Apply/Text/1MB", "TwoCopies/Text/1MB", 3.0);
        s.Ratio("apply 10MB text vs two copies", "Apply/Text/10MB", "TwoCopies/Text/10MB", 3.0);
        s.Info("apply 100KB XML vs two copies", "Apply/XML/100KB", "TwoCopies/XML/100KB");
        s.Info("apply 100KB text vs two copies", "Apply/Text/100KB", "TwoCopies/Text/100KB");
    });
}
