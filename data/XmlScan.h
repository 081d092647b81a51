#pragma once
// One fast pass over an XML document that tells whether the parser the handler reads pens with would load
// it, and where the outermost elements of the wanted names lie, without building any tree. The handler then
// parses just those elements: a preference file is mostly unrelated settings, and a tree of all of them
// costs many times the reading of the file.
//
// The pass accepts exactly what the handler's parser accepts with the handler's options (entities and line
// ends decoded, no DTD, PIs and comments skipped): the same start and end tags and names, attributes,
// comments, CDATA sections, processing instructions and DOCTYPE groups, a zero byte ending the document,
// and at least one element at the top level.

#include <QByteArray>

#include <cstddef>
#include <string_view>
#include <vector>

// The bytes [Begin, End) of one element: from its '<' to just after the '>' that ends it.
struct XmlElementSpan {
    size_t Begin = 0;
    size_t End = 0;
};

struct XmlScanResult {
    bool WellFormed = false;
    // The elements named one of the wanted names that lie inside no other such element, in document order.
    std::vector<XmlElementSpan> Outermost;
};

// Hears of the outermost wanted elements as the pass meets them, in document order.
class XmlElementSink {
public:
    virtual ~XmlElementSink() = default;
    // At the '<' of one, at offset `begin`: the sink may parse the element on its own and, when the bytes
    // from `begin` to some end parse as exactly one element, return that end, so that the pass goes on from
    // there without scanning the element itself. 0 has the pass scan it.
    virtual size_t Take(size_t begin) = 0;
    // After the pass has scanned one itself.
    virtual void Scanned(XmlElementSpan span) = 0;
};

// Scans `bytes` up to their end or their first zero byte. The array must hold its own zero after the last
// byte, as every array does that was not made over raw data.
XmlScanResult ScanXml(const QByteArray& bytes, std::string_view nameA, std::string_view nameB,
                      XmlElementSink* sink = nullptr);
