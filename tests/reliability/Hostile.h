#pragma once
// Helpers of the reliability tests: the preference files of either format and a meter of time and peak
// memory around one operation. The read-only folder guard lives in tests/support.

#include "data/Data_fileClass.h"
#include "data/typeDef.h"
#include "support/PreferenceFiles.h"
#include "support/ReadOnlyFolder.h"

#include <QByteArray>
#include <QString>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace hostile {

// The two generations of preference files, for the tests that run over both.
enum class Format { Text, Xml };
// A handler of the given format reading `path`.
std::unique_ptr<TFileHandler> Open(Format format, const QString& path);
// The file for `pens` (each built by TextPenBlock or XmlPen) in the given format.
QByteArray FileOf(Format format, const QByteArray& pens);
// The pen of the given texts in the given format.
QByteArray PenOf(Format format, const PenTexts& pen);
// The file of the given format with the pens "Tip" and "Eraser" (StandardXml or StandardText).
QByteArray Sample(Format format);
// The name of a test instance over the formats: "Text" or "Xml".
std::string FormatName(const ::testing::TestParamInfo<Format>& info);

// A template for QTemporaryDir in memory (/dev/shm) where the system has it, else in the temporary folder:
// the big inputs are written and saved many times, and each save syncs the file to disk.
QString MemoryTempTemplate();

// Bytes from a fixed-seed generator, so a failure reproduces.
QByteArray Noise(qsizetype size, uint32_t seed);

// What one operation cost.
struct Cost {
    double Seconds = 0;
    double PeakMegabytes = 0; // the peak resident size reached during the operation, above the size before it
};
Cost Measure(const std::function<void()>& operation);

// The time limits are generous enough for the sanitizer build on a loaded machine; a quadratic algorithm
// or a runaway expansion still exceeds them by far.
inline constexpr double FastSeconds = 20.0;
inline constexpr double MegabytesPerInputMegabyte = 12.0;

} // namespace hostile
