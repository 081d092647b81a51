// Changing one pen's curve in a 10 MB XML preference file: `nibwright-cli set` against the general XML
// editor a power user would reach for, `xmlstarlet ed -L -u` on the same element. Each run starts from a
// fresh copy of the same input (the copy is not timed). Afterwards both outputs must be well-formed XML
// holding the same document: the same elements, attributes and texts, with the new curve in the chosen
// pen and every other pen as it was.

#include "bench/BenchInputs.h"
#include "bench/BenchStats.h"
#include "bench/tools/Process.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <pugixml.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const PenSelection = "//TransducerTipButtonSettings | //TransducerEraserSettings";

// The pen elements in document order (pugixml leaves the result of a union unsorted).
pugi::xpath_node_set SelectPens(const pugi::xml_document& doc) {
    pugi::xpath_node_set set = doc.select_nodes(PenSelection);
    set.sort();
    return set;
}

struct PenText {
    std::string Name, Resolution, Curve, Upper, Lower;
    bool operator==(const PenText&) const = default;
};

// The first pen where `got` differs from `want`, for the report; -1 when they agree.
long FirstDifference(const std::vector<PenText>& got, const std::vector<PenText>& want) {
    for (size_t i = 0; i < std::min(got.size(), want.size()); ++i)
        if (!(got[i] == want[i]))
            return static_cast<long>(i);
    return got.size() == want.size() ? -1 : static_cast<long>(std::min(got.size(), want.size()));
}

std::vector<PenText> PenTexts(const pugi::xml_document& doc) {
    std::vector<PenText> pens;
    for (const pugi::xpath_node& n : SelectPens(doc)) {
        const pugi::xml_node e = n.node();
        pens.push_back({e.child("ButtonName").text().get(), e.child("PressureResolution").text().get(),
                        e.child("PressureCurveControlPoint").text().get(),
                        e.child("UpperPressureThreshold").text().get(),
                        e.child("LowerPressureThreshold").text().get()});
    }
    return pens;
}

// The document's content without its layout: whitespace between elements is dropped by the parse, and the
// raw serialisation spells quotes, empty elements and character references one way.
std::string Canonical(const pugi::xml_document& doc) {
    std::ostringstream out;
    doc.save(out, "", pugi::format_raw | pugi::format_no_declaration);
    return out.str();
}

void Load(pugi::xml_document& doc, const QString& path, const char* who) {
    const QByteArray bytes = bench::ReadAll(path);
    const pugi::xml_parse_result r = doc.load_buffer(bytes.constData(), static_cast<size_t>(bytes.size()),
                                                     pugi::parse_default | pugi::parse_comments);
    if (!r)
        throw std::runtime_error(std::string(who) + " output is not well-formed XML: " + r.description());
}

void Copy(const QString& from, const QString& to) {
    QFile::remove(to);
    if (!QFile::copy(from, to))
        throw std::runtime_error("cannot copy " + from.toStdString() + " to " + to.toStdString());
}

// True when `out` differs from `in` only inside the byte range [textStart, textEnd) of `in` (the edited
// element's text), so that the rest of the user's file is byte-identical.
bool ChangedOnlyWithin(const QByteArray& in, const QByteArray& out, qsizetype textStart, qsizetype textEnd) {
    qsizetype head = 0;
    while (head < in.size() && head < out.size() && in[head] == out[head])
        ++head;
    qsizetype tail = 0;
    while (tail < in.size() - head && tail < out.size() - head &&
           in[in.size() - 1 - tail] == out[out.size() - 1 - tail])
        ++tail;
    return head >= textStart && in.size() - tail <= textEnd;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int runs = 7;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
    try {
        const QString xmlstarlet = QStandardPaths::findExecutable("xmlstarlet");
        if (xmlstarlet.isEmpty())
            throw std::runtime_error("xmlstarlet is not installed (apt-get install xmlstarlet)");

        QTemporaryDir dir;
        const QString root = dir.path();
        const QString input =
            bench::WriteInput(root, "input.xml", bench::MakeXmlPreferences(bench::MB10).Bytes);
        // The tool keeps its dated backups beside its executable: run a copy inside the scratch folder.
        QDir().mkpath(root + "/app");
        const QString cli = root + "/app/nibwright-cli";
        Copy(QStringLiteral(NIB_CLI_PATH), cli);
        QFile::setPermissions(cli, QFile::permissions(cli) | QFileDevice::ExeOwner);

        pugi::xml_document source;
        Load(source, input, "the input");
        const std::vector<PenText> before = PenTexts(source);
        const int index = static_cast<int>(before.size() / 2);
        const PenText& old = before[static_cast<size_t>(index)];
        // P1Y P1X P2Y P2X P3Y P3X, all within 0..1023 so that the tool's clamping leaves them as they are.
        const std::vector<std::string> curve = {"37", "0", "402", "611", "1001", "1023"};
        std::string curveText;
        for (const std::string& v : curve)
            curveText += (curveText.empty() ? "" : " ") + v;
        if (curveText == old.Curve)
            throw std::runtime_error("the new curve equals the old one; the comparison would prove nothing");

        QStringList cliArgs = {"set", root + "/cli.xml", QString::number(index)};
        for (const std::string& v : curve)
            cliArgs << QString::fromStdString(v);
        cliArgs << QString::fromStdString(old.Upper) << QString::fromStdString(old.Lower);
        const QString xpath = QString("(%1)[%2]/PressureCurveControlPoint").arg(PenSelection).arg(index + 1);
        const QStringList xsArgs = {
            "ed", "-L", "-u", xpath, "-v", QString::fromStdString(curveText), root + "/xs.xml"};

        std::vector<double> cliMs, xsMs, cliCpuMs, xsCpuMs;
        for (int i = 0; i < runs; ++i) {
            Copy(input, root + "/cli.xml");
            const bench::ProcessRun c = bench::RunProgram(cli, cliArgs);
            if (c.ExitCode != 0)
                throw std::runtime_error("nibwright-cli set ended with " + std::to_string(c.ExitCode) + ": " +
                                         c.Err.toStdString());
            cliMs.push_back(c.WallNs / 1e6);
            cliCpuMs.push_back(c.CpuNs / 1e6);
            QDir(root + "/app/Backup").removeRecursively();

            Copy(input, root + "/xs.xml");
            const bench::ProcessRun x = bench::RunProgram(xmlstarlet, xsArgs);
            if (x.ExitCode != 0)
                throw std::runtime_error("xmlstarlet ended with " + std::to_string(x.ExitCode) + ": " +
                                         x.Err.toStdString());
            xsMs.push_back(x.WallNs / 1e6);
            xsCpuMs.push_back(x.CpuNs / 1e6);
        }

        // Both outputs: well-formed, the same document, the new curve in pen `index` and nowhere else.
        pugi::xml_document cliDoc, xsDoc;
        Load(cliDoc, root + "/cli.xml", "nibwright-cli's");
        Load(xsDoc, root + "/xs.xml", "xmlstarlet's");
        std::vector<PenText> expected = before;
        expected[static_cast<size_t>(index)].Curve = curveText;
        const long cliDiff = FirstDifference(PenTexts(cliDoc), expected);
        const long xsDiff = FirstDifference(PenTexts(xsDoc), expected);
        if (cliDiff >= 0)
            std::fprintf(stderr, "nibwright-cli's output differs first at pen %ld\n", cliDiff);
        if (xsDiff >= 0)
            std::fprintf(stderr, "xmlstarlet's output differs first at pen %ld\n", xsDiff);
        const bool cliPens = cliDiff < 0;
        const bool xsPens = xsDiff < 0;
        const bool same = Canonical(cliDoc) == Canonical(xsDoc);

        // nibwright-cli also keeps the rest of the file byte for byte.
        const QByteArray in = bench::ReadAll(input);
        const QByteArray out = bench::ReadAll(root + "/cli.xml");
        const pugi::xml_node curveNode =
            SelectPens(source)[static_cast<size_t>(index)].node().child("PressureCurveControlPoint");
        const qsizetype textStart = static_cast<qsizetype>(curveNode.first_child().offset_debug());
        const qsizetype textEnd = in.indexOf('<', textStart);
        const bool bytesKept = ChangedOnlyWithin(in, out, textStart, textEnd);

        const double c = bench::Median(cliMs), x = bench::Median(xsMs), ratio = c / x;
        const bool valid = cliPens && xsPens && same;
        std::printf("== peer: one curve in the 10MB XML file (%d runs each, %zu pens, pen %d)\n", runs,
                    before.size(), index);
        std::printf("%-34s median %10.3f ms  baseline %10.3f ms  ratio %6.2f  target <= 1.00  %s\n",
                    "nibwright-cli set vs xmlstarlet", c, x, ratio, ratio <= 1.0 ? "MET" : "MISSED");
        const double cc = bench::Median(cliCpuMs), xc = bench::Median(xsCpuMs);
        std::printf("%-34s median %10.3f ms  baseline %10.3f ms  ratio %6.2f  (processor time, no target)\n",
                    "nibwright-cli set vs xmlstarlet", cc, xc, cc / xc);
        std::printf("%-34s nibwright-cli pens %s, xmlstarlet pens %s, same document %s  %s\n", "outputs",
                    cliPens ? "ok" : "WRONG", xsPens ? "ok" : "WRONG", same ? "yes" : "NO",
                    valid ? "MET" : "MISSED");
        std::printf("%-34s %s\n", "nibwright-cli: other bytes kept", bytesKept ? "yes" : "NO");
        return ratio <= 1.0 && valid ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "peer_compare: %s\n", e.what());
        return 2;
    }
}
