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

#include <fstream>
#include <random>
#include <sstream>

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
// Windows keeps the peak working set for the whole life of the process and cannot reset it: the peak
// during an operation is bounded by the peak after it less the working set before it, which counts an
// earlier, higher peak against the operation (never in its favour).
double WorkingSetMegabytes(bool peak) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters))
        return 0;
    return double(peak ? counters.PeakWorkingSetSize : counters.WorkingSetSize) / (1024.0 * 1024.0);
}
double StatusMegabytes(const char* field) {
    return WorkingSetMegabytes(std::string(field) == "VmHWM");
}
void ResetPeak() {}
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
    ResetPeak();
    const double before = StatusMegabytes("VmRSS");
    const auto start = std::chrono::steady_clock::now();
    operation();
    Cost cost;
    cost.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cost.PeakMegabytes = StatusMegabytes("VmHWM") - before;
    return cost;
}

} // namespace hostile
