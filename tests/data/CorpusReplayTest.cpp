// Replays every file of the fuzz corpora (seeds and every input that once broke
// something) through the fuzz targets' bodies, so that a finding, once fixed,
// stays fixed in the normal and the sanitizer builds.

#include "fuzz/FuzzTargets.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

[[noreturn]] void ThrowBroken(const std::string& what) {
    throw nibfuzz::InvariantBroken{what};
}

struct Target {
    const char* Corpus;
    int (*Body)(const uint8_t*, size_t);
};

class CorpusReplay : public ::testing::TestWithParam<Target> {
protected:
    void SetUp() override { nibfuzz::OnInvariantBroken = &ThrowBroken; }
    void TearDown() override { nibfuzz::OnInvariantBroken = &nibfuzz::AbortOnBroken; }
};

TEST_P(CorpusReplay, EveryCorpusFileKeepsItsProperties) {
    const QString folder = SourceDir() + "/tests/corpus/" + GetParam().Corpus;
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    ASSERT_FALSE(names.isEmpty()) << "no corpus in " << folder.toStdString();
    for (const QString& name : names) {
        QFile f(folder + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray bytes = f.readAll();
        try {
            GetParam().Body(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
        } catch (const nibfuzz::InvariantBroken& broken) {
            ADD_FAILURE() << GetParam().Corpus << "/" << name.toStdString() << ": " << broken.What;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, CorpusReplay,
                         ::testing::Values(Target{"text", &nibfuzz::FuzzTextFile},
                                           Target{"xml", &nibfuzz::FuzzXmlFile},
                                           Target{"xmlscan", &nibfuzz::FuzzXmlScan},
                                           Target{"settings", &nibfuzz::FuzzSettings},
                                           Target{"isxml", &nibfuzz::FuzzIsXmlFile}),
                         [](const auto& info) { return std::string(info.param.Corpus); });

} // namespace
