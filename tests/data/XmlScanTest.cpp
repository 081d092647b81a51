// The pass that decides whether a document is well-formed and finds the outermost pen elements, checked
// against the parser it stands in for: whatever the parser loads, the pass accepts, and nothing else.

#include "data/XmlScan.h"

#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

constexpr const char* Tip = "TransducerTipButtonSettings";
constexpr const char* Eraser = "TransducerEraserSettings";

XmlScanResult Scan(const std::string& text, XmlElementSink* sink = nullptr) {
    return ScanXml(QByteArray(text.data(), static_cast<qsizetype>(text.size())), Tip, Eraser, sink);
}

bool ParserLoads(const std::string& text) {
    pugi::xml_document doc;
    return static_cast<bool>(doc.load_buffer(
        text.data(), text.size(), pugi::parse_default | pugi::parse_ws_pcdata_single, pugi::encoding_utf8));
}

// Documents at the edges of what the parser accepts: each pair of the table differs in one detail.
const std::vector<std::string>& Edges() {
    static const std::vector<std::string> docs = {"",
                                                  " ",
                                                  "<r/>",
                                                  "<r>",
                                                  "<r></r>",
                                                  "<r></R>",
                                                  "<r></r >",
                                                  "<r></ r>",
                                                  "</r>",
                                                  "<r/><r/>",
                                                  "text<r/>text",
                                                  "<r/><",
                                                  "<r/>\0<"s,
                                                  "<r>x</r>\0garbage"s,
                                                  "<r>\0</r>"s,
                                                  "\xef\xbb\xbf<r/>",
                                                  "\xef\xbb<r/>",
                                                  "<r a='1'/>",
                                                  "<r a=\"1\"/>",
                                                  "<r a=1/>",
                                                  "<r a='1'b='2'/>",
                                                  "<r a='1' b='2'/>",
                                                  "<r a = '1'/>",
                                                  "<r a/>",
                                                  "<r a='1/>",
                                                  "<r a='>'/>",
                                                  "<r a='<'/>",
                                                  "<r / >",
                                                  "<r/ >",
                                                  "<r\t\r\n/>",
                                                  "<r=/>",
                                                  "<1r/>",
                                                  "<_r/>",
                                                  "<:r/>",
                                                  "<r.-9/>",
                                                  "<\xc3\xa9/>",
                                                  "<r>&bogus;</r>",
                                                  "<r>&#x41;&lt;</r>",
                                                  "<!-- c --><r/>",
                                                  "<!-- c -- d --><r/>",
                                                  "<!-- c -><r/>",
                                                  "<!- c --><r/>",
                                                  "<r><!----></r>",
                                                  "<r><![CDATA[ <x> ]]></r>",
                                                  "<r><![CDATA[ ]]]]></r>",
                                                  "<r><![CDATA[ ]></r>",
                                                  "<r><![CDATX[ ]]></r>",
                                                  "<?xml version='1.0'?><r/>",
                                                  "<?xml?><r/>",
                                                  "<? x ?><r/>",
                                                  "<?x ?><r/>",
                                                  "<r><?xml?></r>",
                                                  "<?x",
                                                  "<r/><?x?",
                                                  "<!DOCTYPE r><r/>",
                                                  "<!DOCTYPE r [<!ENTITY e 'x'>]><r/>",
                                                  "<!DOCTYPE r [<!ELEMENT r ANY><!-- > --><?p > ?>]><r/>",
                                                  "<!DOCTYPE r [<![IGNORE[ <![ ]]> ]]>]><r/>",
                                                  "<!DOCTYPE r [<!ENTITY e '>]><r/>",
                                                  "<!DOCTYPE r [<x>]><r/>",
                                                  "<r><!DOCTYPE r></r>",
                                                  "<!DOCTYPE r",
                                                  "<!DOCTYP r><r/>",
                                                  "<!><r/>",
                                                  "<r>\r\n</r>\r\n",
                                                  "<a><b></a></b>",
                                                  "<a><b/></a>"};
    return docs;
}

TEST(XmlScan, AcceptsExactlyWhatTheParserLoads) {
    for (const std::string& doc : Edges())
        EXPECT_EQ(Scan(doc).WellFormed, ParserLoads(doc)) << "document: " << doc;
}

// The pass looks up where text ends in blocks of bytes worked out ahead: the same details, and pen elements
// after them, at every place around the edges of its 64-byte words and of its 2 KB blocks.
TEST(XmlScan, AgreesWithTheParserWhereverTheDetailsFallInTheBlocks) {
    const std::string pen = std::string("<") + Tip + "><b>x</b></" + Tip + ">";
    const std::vector<std::string> details = {"<a b='<<'/>", "<!-- < -->", "<![CDATA[<]]>", "<?p <?>",
                                              "x<",          "<a",         "<a b='1",       "\0"s,
                                              "<a></b>",     "<a/>" + pen};
    std::vector<size_t> places;
    for (size_t n = 0; n < 140; ++n)
        places.push_back(n);
    for (size_t n = 1990; n < 2110; ++n)
        places.push_back(n);
    for (const std::string& detail : details) {
        for (const size_t place : places) {
            const std::string doc = "<r>" + std::string(place, ' ') + detail + "<c/>" + pen + "</r>";
            const XmlScanResult scan = Scan(doc);
            ASSERT_EQ(scan.WellFormed, ParserLoads(doc)) << "detail " << detail << " after " << place;
            if (!scan.WellFormed)
                continue;
            ASSERT_FALSE(scan.Outermost.empty());
            EXPECT_EQ(scan.Outermost.back().End, doc.size() - 4) << "detail " << detail << " after " << place;
        }
    }
}

// A start tag is read once and known again by its bytes when it repeats; a repeat must read as the first
// did wherever it stands: at the top level, nested, self-closed or open, and a pen tag repeated inside a
// pen element or after a tag of a name that only begins like it.
TEST(XmlScan, RepeatedTagsReadAsTheFirstWhereverTheyStand) {
    const std::string pad(40, ' ');
    const std::vector<std::pair<std::string, bool>> docs = {
        {"<k a='1'>" + pad + "</k><k a='1'>" + pad + "</k>", true},
        {"<r><k a='1'>" + pad + "</k><k a='1'>" + pad + "</k></r>", true},
        {"<r><k a='1'><k a='1'>" + pad + "</k></k>" + pad + "</r>", true},
        {"<r><k a='1'/>" + pad + "<k a='1'>" + pad + "</r>", false},
        {"<r><k a='1'>" + pad + "</k><k a='1'/>" + pad + "</r>", true},
        {"<r><k a='1'>" + pad + "</k><k a='1'>" + pad + "</r>", false},
        {"<r><k a='<'>" + pad + "</k><k a='<'>" + pad + "</k></r>", true}};
    for (const auto& [doc, wellFormed] : docs) {
        ASSERT_EQ(ParserLoads(doc), wellFormed) << doc;
        EXPECT_EQ(Scan(doc).WellFormed, wellFormed) << doc;
    }

    const std::string tip = std::string("<") + Tip + ">";
    const std::string end = std::string("</") + Tip + ">";
    const std::string near = "<TransducerTipButtonSetting>" + pad + "</TransducerTipButtonSetting>";
    const std::string first = tip + tip + pad + end + end;
    const std::string second = tip + pad + end;
    const std::string doc = "<r>" + near + first + second + near + "</r>";
    const XmlScanResult scan = Scan(doc);
    ASSERT_TRUE(scan.WellFormed);
    ASSERT_EQ(scan.Outermost.size(), 2u);
    EXPECT_EQ(scan.Outermost[0].Begin, 3 + near.size());
    EXPECT_EQ(scan.Outermost[0].End, 3 + near.size() + first.size());
    EXPECT_EQ(scan.Outermost[1].Begin, 3 + near.size() + first.size());
    EXPECT_EQ(scan.Outermost[1].End, 3 + near.size() + first.size() + second.size());
}

TEST(XmlScan, FindsTheOutermostPenElementsWithTheirBytes) {
    const std::string inner = std::string("<") + Eraser + "><x/></" + Eraser + ">";
    const std::string first = std::string("<") + Tip + " a='</" + Tip + ">'>" + inner + "</" + Tip + " >";
    const std::string second = std::string("<") + Eraser + "/>";
    const std::string doc = "<r><!-- <" + std::string(Tip) + "> --><s>" + first + "</s>" + second + "</r>";
    const XmlScanResult scan = Scan(doc);
    ASSERT_TRUE(scan.WellFormed);
    ASSERT_EQ(scan.Outermost.size(), 2u);
    EXPECT_EQ(doc.substr(scan.Outermost[0].Begin, scan.Outermost[0].End - scan.Outermost[0].Begin), first);
    EXPECT_EQ(doc.substr(scan.Outermost[1].Begin, scan.Outermost[1].End - scan.Outermost[1].Begin), second);

    // A document that is not well-formed reports no elements, however many it met before the fault.
    const XmlScanResult broken = Scan(doc + "</r>");
    EXPECT_FALSE(broken.WellFormed);
    EXPECT_TRUE(broken.Outermost.empty());
}

// A sink that takes the elements at the offsets it is given and lets the pass scan the others.
class RecordingSink : public XmlElementSink {
public:
    std::vector<size_t> TakeAt;  // begin -> end to return, in pairs
    std::vector<size_t> Offered; // the begins offered
    std::vector<XmlElementSpan> ScannedSpans;

    size_t Take(size_t begin) override {
        Offered.push_back(begin);
        for (size_t i = 0; i + 1 < TakeAt.size(); i += 2)
            if (TakeAt[i] == begin)
                return TakeAt[i + 1];
        return 0;
    }
    void Scanned(XmlElementSpan span) override { ScannedSpans.push_back(span); }
};

TEST(XmlScan, GoesOnAfterAnElementTheSinkTookAndReportsTheOthersScanned) {
    const std::string pen = std::string("<") + Tip + "><b>x</b></" + Tip + ">";
    const std::string doc = "<r>" + pen + pen + "</r>";
    RecordingSink sink;
    sink.TakeAt = {3, 3 + pen.size()};
    const XmlScanResult scan = Scan(doc, &sink);
    ASSERT_TRUE(scan.WellFormed);
    EXPECT_EQ(sink.Offered, (std::vector<size_t>{3, 3 + pen.size()}));
    ASSERT_EQ(sink.ScannedSpans.size(), 1u);
    EXPECT_EQ(sink.ScannedSpans[0].Begin, 3 + pen.size());
    EXPECT_EQ(sink.ScannedSpans[0].End, 3 + 2 * pen.size());
    ASSERT_EQ(scan.Outermost.size(), 2u);
    EXPECT_EQ(scan.Outermost[0].End, 3 + pen.size());

    // A pen element at the top level that the sink takes still counts as the document's element.
    RecordingSink top;
    top.TakeAt = {0, pen.size()};
    EXPECT_TRUE(Scan(pen, &top).WellFormed);
}

} // namespace
