// Loading a preference file: constructing the handler (read and parse, the pens taken out) against reading
// the same bytes into memory, for both generations at 100 KB, 1 MB and 10 MB. The files stay in the page
// cache, so both sides measure the work in memory rather than the disk.

#include "bench/BenchInputs.h"
#include "bench/BenchReport.h"
#include "data/ConfigWorkflow.h"
#include "data/XmlScan.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <malloc.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

struct Input {
    std::string Label; // "XML/10MB"
    QString Path;
    int Pens = 0;
    bool Xml = true;
};

// The inputs live for the whole program; they are written once, before the first benchmark runs.
const std::vector<Input>& Inputs() {
    static QTemporaryDir dir;
    static const std::vector<Input> inputs = [] {
        std::vector<Input> v;
        for (qint64 size : {bench::KB100, bench::MB1, bench::MB10}) {
            const bench::Generated xml = bench::MakeXmlPreferences(size);
            const bench::Generated text = bench::MakeTextPreferences(size);
            const std::string s = bench::SizeLabel(size);
            v.push_back({"XML/" + s,
                         bench::WriteInput(dir.path(), QString::fromStdString("x" + s), xml.Bytes), xml.Pens,
                         true});
            v.push_back({"Text/" + s,
                         bench::WriteInput(dir.path(), QString::fromStdString("t" + s), text.Bytes),
                         text.Pens, false});
        }
        return v;
    }();
    return inputs;
}

// With `cold` every iteration starts in memory the process has not touched yet (the allocator hands the
// freed memory back to the system between iterations), as on the first load after the program started.
// Without it the allocator keeps what it can: the plain read then reuses its buffer, while the handler's
// larger working set (the bytes, the parser's copy and the document's nodes) may not fit what is kept.
void ReleaseFreedMemory(benchmark::State& state, bool cold) {
    if (!cold)
        return;
    state.PauseTiming();
#ifdef __GLIBC__
    malloc_trim(0);
#endif // other C libraries hand freed memory back on their own terms
    state.ResumeTiming();
}

void ReadBytes(benchmark::State& state, const Input& in, bool cold) {
    for (auto _ : state) {
        {
            QByteArray bytes = bench::ReadAll(in.Path);
            benchmark::DoNotOptimize(bytes.data());
        }
        ReleaseFreedMemory(state, cold);
    }
    state.SetBytesProcessed(state.iterations() * QFileInfo(in.Path).size());
}

void LoadHandler(benchmark::State& state, const Input& in, bool cold) {
    for (auto _ : state) {
        ReleaseFreedMemory(state, cold);
        const std::unique_ptr<TFileHandler> handler = MakeHandler(in.Path, in.Xml);
        // A load that fails or loses pens would be fast for the wrong reason.
        if (!handler->IsValid() || static_cast<int>(handler->GetPens().size()) != in.Pens) {
            state.SkipWithError("the handler did not read every pen of the generated file");
            break;
        }
        benchmark::DoNotOptimize(handler.get());
    }
    state.SetBytesProcessed(state.iterations() * QFileInfo(in.Path).size());
}

// The outermost pen elements of the input, found once before the timing.
std::vector<XmlElementSpan> PenSpans(const QByteArray& bytes) {
    return ScanXml(bytes, "TransducerTipButtonSettings", "TransducerEraserSettings").Outermost;
}

// The two parts of a load the handler cannot do without, each alone, as references without a target.
//
// The read and the parser on each pen element whose place is known beforehand, with the handler's options
// and a reused buffer, as the handler parses them: no pass over the rest of the file, no values read.
void ReadAndParsePens(benchmark::State& state, const Input& in) {
    const std::vector<XmlElementSpan> spans = PenSpans(bench::ReadAll(in.Path));
    if (static_cast<int>(spans.size()) != in.Pens) {
        state.SkipWithError("the pass did not find every pen of the generated file");
        return;
    }
    pugi::xml_document doc;
    std::vector<char> buffer;
    for (auto _ : state) {
        const QByteArray bytes = bench::ReadAll(in.Path);
        for (const XmlElementSpan& span : spans) {
            const size_t size = span.End - span.Begin;
            buffer.resize(size + 1);
            std::memcpy(buffer.data(), bytes.constData() + span.Begin, size);
            buffer[size] = 0;
            if (!doc.load_buffer_inplace(buffer.data(), buffer.size(),
                                         pugi::parse_default | pugi::parse_ws_pcdata_single,
                                         pugi::encoding_utf8)) {
                state.SkipWithError("a pen element did not parse");
                return;
            }
        }
        benchmark::DoNotOptimize(doc.first_child());
    }
    state.SetBytesProcessed(state.iterations() * QFileInfo(in.Path).size());
}

// Hands the pass each pen element as taken whole, so that it scans only the rest of the file.
class SkipKnownPens : public XmlElementSink {
public:
    explicit SkipKnownPens(std::vector<XmlElementSpan> spans) : Spans(std::move(spans)) {}
    size_t Take(size_t begin) override {
        return Next < Spans.size() && Spans[Next].Begin == begin ? Spans[Next++].End : 0;
    }
    void Scanned(XmlElementSpan) override {}
    size_t Next = 0;

private:
    std::vector<XmlElementSpan> Spans;
};

// The pass over the file in memory, the pen elements skipped at no cost.
void PassOutsidePens(benchmark::State& state, const Input& in) {
    const QByteArray bytes = bench::ReadAll(in.Path);
    SkipKnownPens sink(PenSpans(bytes));
    for (auto _ : state) {
        sink.Next = 0;
        const XmlScanResult scan =
            ScanXml(bytes, "TransducerTipButtonSettings", "TransducerEraserSettings", &sink);
        if (!scan.WellFormed || static_cast<int>(sink.Next) != in.Pens) {
            state.SkipWithError("the pass did not skip every pen of the generated file");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

} // namespace

int main(int argc, char** argv) {
    for (const Input& in : Inputs()) {
        benchmark::RegisterBenchmark(("Read/" + in.Label).c_str(), ReadBytes, in, false)
            ->MinTime(0.1)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Load/" + in.Label).c_str(), LoadHandler, in, false)
            ->MinTime(0.1)
            ->Unit(benchmark::kMillisecond);
        if (in.Label == "XML/10MB") {
            benchmark::RegisterBenchmark(("ReadParsePens/" + in.Label).c_str(), ReadAndParsePens, in)
                ->MinTime(0.1)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("PassOutsidePens/" + in.Label).c_str(), PassOutsidePens, in)
                ->MinTime(0.1)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("ReadCold/" + in.Label).c_str(), ReadBytes, in, true)
                ->MinTime(0.1)
                ->UseRealTime()
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("LoadCold/" + in.Label).c_str(), LoadHandler, in, true)
                ->MinTime(0.1)
                ->UseRealTime()
                ->Unit(benchmark::kMillisecond);
        }
    }
    return bench::RunBenchmarks(argc, argv, [](bench::Summary& s) {
        s.Ratio("load 10MB XML vs read", "Load/XML/10MB", "Read/XML/10MB", 10.0);
        s.Ratio("load 10MB XML vs read, cold memory", "LoadCold/XML/10MB", "ReadCold/XML/10MB", 10.0);
        s.Info("10MB XML: read + parser on the pens", "ReadParsePens/XML/10MB", "Read/XML/10MB");
        s.Info("10MB XML: pass outside the pens", "PassOutsidePens/XML/10MB", "Read/XML/10MB");
        for (const char* label : {"XML/100KB", "XML/1MB", "Text/100KB", "Text/1MB", "Text/10MB"})
            s.Info(std::string("load ") + label + " vs read", std::string("Load/") + label,
                   std::string("Read/") + label);
    });
}
