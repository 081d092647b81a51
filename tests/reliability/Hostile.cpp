#include "Hostile.h"

#include "data/Data_textClass.h"
#include "data/Data_xmlClass.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <psapi.h>
#endif

#include <algorithm>
#include <atomic>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

namespace hostile {

std::unique_ptr<TFileHandler> Open(Format format, const QString& path) {
    if (format == Format::Xml)
        return std::make_unique<TXMLHandler>(path);
    return std::make_unique<TTextHandler>(path);
}

QByteArray FileOf(Format format, const QByteArray& pens) {
    return format == Format::Xml ? XmlDocument(pens) : "TabletPreferences\r\n" + pens;
}

QByteArray PenOf(Format format, const PenTexts& pen) {
    return format == Format::Xml ? XmlPen(pen) : TextPenBlock(pen);
}

QByteArray Sample(Format format) {
    return format == Format::Xml ? StandardXml() : StandardText();
}

std::string FormatName(const ::testing::TestParamInfo<Format>& info) {
    return info.param == Format::Xml ? "Xml" : "Text";
}

QString MemoryTempTemplate() {
    const QString shm = QStringLiteral("/dev/shm");
    return (QFileInfo(shm).isDir() && QFileInfo(shm).isWritable() ? shm : QDir::tempPath()) +
           QStringLiteral("/nib-reliability-XXXXXX");
}

QByteArray Noise(qsizetype size, uint32_t seed) {
    std::mt19937 gen(seed);
    QByteArray out(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        out[i] = static_cast<char>(gen() & 0xff);
    return out;
}

namespace {
#ifdef _WIN32
double WorkingSetMegabytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters))
        return 0;
    return double(counters.WorkingSetSize) / (1024.0 * 1024.0);
}
#else
// VmRSS or VmHWM of this process in megabytes.
double StatusMegabytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0) {
            std::istringstream in(line.substr(key.size()));
            double kb = 0;
            in >> kb;
            return kb / 1024.0;
        }
    return 0;
}
// Resets the peak resident size to the current one (Linux: "5" into clear_refs).
void ResetPeak() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
}
#endif
} // namespace

Cost Measure(const std::function<void()>& operation) {
#ifdef _WIN32
    // Windows keeps one peak working set for the whole life of the process and cannot reset it, so an
    // earlier case's peak would be counted against this one. The working set is sampled every millisecond
    // instead: an allocation large enough to matter takes longer than that to touch.
    const double before = WorkingSetMegabytes();
    std::atomic<bool> done{false};
    std::atomic<double> highest{before};
    std::thread sampler([&] {
        while (!done.load()) {
            highest = std::max(highest.load(), WorkingSetMegabytes());
            ::Sleep(1);
        }
    });
#else
    ResetPeak();
    const double before = StatusMegabytes("VmRSS");
#endif
    const auto start = std::chrono::steady_clock::now();
    operation();
    Cost cost;
    cost.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
#ifdef _WIN32
    done = true;
    sampler.join();
    cost.PeakMegabytes = std::max(highest.load(), WorkingSetMegabytes()) - before;
#else
    cost.PeakMegabytes = StatusMegabytes("VmHWM") - before;
#endif
    return cost;
}

} // namespace hostile
