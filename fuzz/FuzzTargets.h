#pragma once
// The bodies of the fuzz targets. Each takes one input, runs it through the same code the program runs on a
// preference file or a settings file, and checks what must hold whatever the input is. The libFuzzer
// programs in this folder call them, and test_reliability replays every file of tests/corpus/ through them
// in the normal and the sanitizer builds.
//
// A broken property calls OnInvariantBroken: by default it prints the reason and aborts (libFuzzer keeps the
// input as a crash); the replay test installs a handler that throws InvariantBroken instead, a type that is
// deliberately not a std::exception, so that no catch in the code under test can swallow it.

#include "data/Data_textClass.h"
#include "data/Data_xmlClass.h"
#include "data/XmlScan.h"
#include "system/Settings.h"
#include "system/functions.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <pugixml.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <set>
#include <string>
#include <vector>

namespace nibfuzz {

struct InvariantBroken {
    std::string What;
};

[[noreturn]] inline void AbortOnBroken(const std::string& what) {
    std::fprintf(stderr, "invariant broken: %s\n", what.c_str());
    std::abort();
}

inline void (*OnInvariantBroken)(const std::string&) = &AbortOnBroken;

inline void Check(bool holds, const std::string& what) {
    if (!holds)
        OnInvariantBroken(what);
}

// A private folder for the scratch files of this process, removed at exit. In memory where the system has
// a tmpfs: every save syncs the file to disk, which would otherwise cost more than the rest of a run.
inline QString ScratchPath(const char* name) {
    static QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isDir()
                                 ? QStringLiteral("/dev/shm/nibfuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/nibfuzz-XXXXXX"));
    return dir.path() + "/" + name;
}

inline QString WriteScratch(const char* name, const uint8_t* data, size_t size) {
    const QString path = ScratchPath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
            static_cast<qint64>(size)) {
        std::fprintf(stderr, "cannot write the scratch file %s\n", qPrintable(path));
        std::abort();
    }
    return path;
}

// Runs `body`; an exception escaping it is a finding, because every input here is a readable file in a
// writable folder, so the code under test has no reason to raise.
template <typename F> void NoThrow(const char* where, F&& body) {
    try {
        body();
    } catch (const std::exception& e) {
        Check(false, std::string(where) + " raised: " + e.what());
    }
}

// Gives the pens values at the 32-bit limits, so that writing numbers of every width is exercised.
inline APen Extremes(APen pens) {
    for (size_t i = 0; i < pens.size(); ++i) {
        Pen& p = pens[i];
        p.P1X = (i % 2) ? INT32_MIN : 0;
        p.P1Y = INT32_MAX;
        p.P2X = -1;
        p.P3Y = p.PressureResolution;
        p.UpperThreshold = INT32_MAX - static_cast<int32_t>(i);
        p.LowerThreshold = INT32_MIN + static_cast<int32_t>(i);
    }
    return pens;
}

// Text preference file: read, store the pens back with other values, save, read the saved file again.
// - storing replaces only lines that were found for a pen, never line 0 (where a failed block's unfilled
//   indexes point);
// - reading the saved file gives exactly the lines that were saved (the line-end handling is lossless).
inline int FuzzTextFile(const uint8_t* data, size_t size) {
    const QString in = WriteScratch("text-in.dat", data, size);
    NoThrow("text handler", [&] {
        TTextHandler handler(in);
        const std::vector<std::string> before = handler.GetLines();
        const APen pens = handler.GetPens();
        Check(!handler.IsValid() || !pens.empty(), "a valid text file without pens");

        // Index 0 means "not found": a line may change only where a pen's value line was found.
        std::set<size_t> found;
        for (const Pen& p : pens)
            for (int32_t index : {p.CurveLineIndex, p.UpperLineIndex, p.LowerLineIndex})
                if (index > 0)
                    found.insert(size_t(index));

        // Storing may refuse a file whose lines no longer hold the pens' keywords where they were found
        // (a line shared by two values is one): the window reports that as a failed write. Even then it
        // must not have touched any other line.
        bool refused = false;
        try {
            handler.StorePens(Extremes(pens));
        } catch (const std::runtime_error&) {
            refused = true;
        }
        const std::vector<std::string>& after = handler.GetLines();
        Check(after.size() == before.size(), "storing changed the number of lines");
        for (size_t i = 0; i < before.size() && i < after.size(); ++i)
            if (!found.count(i))
                Check(after[i] == before[i],
                      "storing changed line " + std::to_string(i) + ", not a pen's line");

        if (refused)
            return;
        const QString out = ScratchPath("text-out.dat");
        handler.SaveAs(out);
        TTextHandler back(out);
        Check(back.GetLines() == after, "the saved file reads back with other lines");
    });
    return 0;
}

// True when a pen element lies inside another pen element.
inline bool HasNestedPens(const uint8_t* data, size_t size) {
    pugi::xml_document doc;
    if (!doc.load_buffer(data, size))
        return false;
    auto isPen = [](pugi::xml_node n) {
        return std::strcmp(n.name(), "TransducerTipButtonSettings") == 0 ||
               std::strcmp(n.name(), "TransducerEraserSettings") == 0;
    };
    for (pugi::xpath_node found :
         doc.select_nodes("//TransducerTipButtonSettings | //TransducerEraserSettings"))
        for (pugi::xml_node up = found.node().parent(); up; up = up.parent())
            if (isPen(up))
                return true;
    return false;
}

// What a whole-document parse reads from an XML file: the parser's tree of everything, the pen elements
// selected over it and each read as the handler reads it. The handler itself parses only the pen
// elements it finds with its own pass over the bytes, so this is the reference it must agree with.
// The pen elements of a whole parsed document, in document order (the parser leaves a union unsorted).
inline pugi::xpath_node_set DocumentOrderPens(const pugi::xml_document& doc) {
    pugi::xpath_node_set set = doc.select_nodes("//TransducerTipButtonSettings | //TransducerEraserSettings");
    set.sort();
    return set;
}

struct ReferenceXml {
    bool Valid = false;
    APen Pens;
};

inline ReferenceXml ReadXmlWholeDocument(const uint8_t* data, size_t size) {
    ReferenceXml ref;
    pugi::xml_document doc;
    if (!doc.load_buffer(data, size, pugi::parse_default | pugi::parse_ws_pcdata_single, pugi::encoding_utf8))
        return ref;
    auto text = [](pugi::xml_node pen, const char* name, bool& ok) {
        pugi::xml_node child = pen.child(name);
        ok = ok && child;
        std::string t;
        for (pugi::xml_node n = child.first_child(); n;) {
            if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata)
                t += n.value();
            if (n.first_child()) {
                n = n.first_child();
                continue;
            }
            while (n != child && !n.next_sibling())
                n = n.parent();
            n = n == child ? pugi::xml_node() : n.next_sibling();
        }
        return t;
    };
    int32_t counter = 0;
    for (pugi::xpath_node found : DocumentOrderPens(doc)) {
        const pugi::xml_node element = found.node();
        Pen& pen = ref.Pens.emplace_back();
        bool ok = true;
        pen.ButtonName = text(element, "ButtonName", ok);
        ok = ok && StrToInt32(text(element, "PressureResolution", ok), pen.PressureResolution);
        ok = ok && StrToInt32(text(element, "UpperPressureThreshold", ok), pen.UpperThreshold);
        ok = ok && StrToInt32(text(element, "LowerPressureThreshold", ok), pen.LowerThreshold);
        ok = ok && CurveFromText(text(element, "PressureCurveControlPoint", ok), pen);
        if (!ok)
            return ref;
        pen.NodeIndex = counter++;
    }
    ref.Valid = !ref.Pens.empty();
    return ref;
}

// The pens agree in every field, their names too when `names`.
inline bool SameValues(APen a, APen b, bool names) {
    if (!names) {
        for (Pen& p : a)
            p.ButtonName.clear();
        for (Pen& p : b)
            p.ButtonName.clear();
    }
    return a == b;
}

// XML preference file: read, store the pens back unchanged, save, read the saved file again. A valid file
// must stay valid with the same pens: storing writes canonical numbers into the value elements only.
inline int FuzzXmlFile(const uint8_t* data, size_t size) {
    const QString in = WriteScratch("xml-in.dat", data, size);
    NoThrow("XML handler", [&] {
        TXMLHandler handler(in);
        const APen pens = handler.GetPens();
        const bool valid = handler.IsValid();
        Check(!valid || !pens.empty(), "a valid XML file without pens");
        const ReferenceXml whole = ReadXmlWholeDocument(data, size);
        Check(valid == whole.Valid, valid ? "the handler reads a file the whole-document parse refuses"
                                          : "the handler refuses a file the whole-document parse reads");
        Check(!valid || pens == whole.Pens, "the handler reads other pens than the whole-document parse");

        const QString out = ScratchPath("xml-out.dat");
        if (!valid) {
            // Storing into a file that no longer parses raises and keeps the document as read: saving then
            // writes exactly the bytes that were read, never an emptied document.
            bool raised = false;
            try {
                handler.StorePens(pens);
            } catch (const std::runtime_error&) {
                raised = true;
            }
            handler.SaveAs(out);
            if (raised) {
                QFile written(out);
                Check(written.open(QIODevice::ReadOnly) &&
                          written.readAll() ==
                              QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)),
                      "a failed store changed the bytes that are saved");
            }
            return;
        }
        handler.StorePens(pens);
        handler.SaveAs(out);
        TXMLHandler back(out);
        Check(back.IsValid(), "a valid XML file is no longer valid after storing its own pens");
        // A pen element inside another pen's ButtonName lends its values' text to that name, so writing
        // its numbers in plain decimal ("+3" becomes "3") renames the outer pen; the values stay.
        Check(SameValues(back.GetPens(), pens, !HasNestedPens(data, size)),
              "storing a valid file's own pens changed what it reads back");

        // The same again with the values at the 32-bit limits: each written number must read back.
        const APen wide = Extremes(pens);
        handler.StorePens(wide);
        handler.SaveAs(out);
        TXMLHandler wideBack(out);
        Check(wideBack.IsValid(), "a valid XML file is no longer valid after storing numbers at the limits");
        const APen got = wideBack.GetPens();
        Check(got.size() == wide.size(), "storing changed the number of pens");
        for (size_t i = 0; i < got.size() && i < wide.size(); ++i)
            Check(CurveText(got[i]) == CurveText(wide[i]) &&
                      got[i].UpperThreshold == wide[i].UpperThreshold &&
                      got[i].LowerThreshold == wide[i].LowerThreshold,
                  "pen " + std::to_string(i) + " reads back other values than were stored");

        // Storing, saving to the own file and storing again on the same handler, as repeated applies do:
        // the second store works from the places the first one moved, and must write what a handler
        // freshly reading the saved file writes.
        const QString own = WriteScratch("xml-own.dat", data, size);
        TXMLHandler again(own);
        again.StorePens(wide);
        again.Save();
        TXMLHandler fresh(own);
        const APen narrow = pens;
        again.StorePens(narrow);
        fresh.StorePens(narrow);
        Check(again.GetBytes() == fresh.GetBytes(),
              "a second store on the same handler wrote other bytes than a fresh handler");
    });
    return 0;
}

// The pass that finds the pen elements, in memory against the parser over the whole document:
// - it calls a document well-formed exactly when the parser loads it;
// - its spans are the outermost pen elements the parser finds, in order: each begins at the '<' of one,
//   and parses on its own into one element of that name with as many nodes below it.
inline int FuzzXmlScan(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const XmlScanResult scan = ScanXml(bytes, "TransducerTipButtonSettings", "TransducerEraserSettings");
    constexpr unsigned options = pugi::parse_default | pugi::parse_ws_pcdata_single;
    pugi::xml_document doc;
    const bool loads = static_cast<bool>(doc.load_buffer(data, size, options, pugi::encoding_utf8));
    Check(scan.WellFormed == loads, loads ? "the scan refuses a document the parser loads"
                                          : "the scan accepts a document the parser refuses");
    if (!loads)
        return 0;

    auto isPen = [](pugi::xml_node n) {
        return n.type() == pugi::node_element && (std::strcmp(n.name(), "TransducerTipButtonSettings") == 0 ||
                                                  std::strcmp(n.name(), "TransducerEraserSettings") == 0);
    };
    auto countBelow = [](pugi::xml_node n) -> size_t { return n.select_nodes(".//node()").size(); };
    std::vector<pugi::xml_node> outermost;
    for (pugi::xpath_node found : DocumentOrderPens(doc)) {
        bool inside = false;
        for (pugi::xml_node up = found.node().parent(); up && !inside; up = up.parent())
            inside = isPen(up);
        if (!inside)
            outermost.push_back(found.node());
    }
    Check(scan.Outermost.size() == outermost.size(), "the scan finds another number of pen elements");
    for (size_t i = 0; i < outermost.size() && i < scan.Outermost.size(); ++i) {
        const XmlElementSpan span = scan.Outermost[i];
        Check(span.Begin + 1 == static_cast<size_t>(outermost[i].offset_debug()),
              "pen element " + std::to_string(i) + " begins elsewhere");
        Check(span.Begin < span.End && span.End <= size,
              "pen element " + std::to_string(i) + " ends outside");
        if (!(span.Begin < span.End && span.End <= size))
            continue;
        pugi::xml_document part;
        const bool parses = static_cast<bool>(
            part.load_buffer(data + span.Begin, span.End - span.Begin, options, pugi::encoding_utf8));
        Check(parses && part.first_child() == part.last_child() &&
                  std::strcmp(part.first_child().name(), outermost[i].name()) == 0 &&
                  countBelow(part.first_child()) == countBelow(outermost[i]),
              "pen element " + std::to_string(i) + " does not parse on its own into the same element");
    }
    return 0;
}

// Settings file: the five keys read from any text; written values read back after a round trip through
// the written text.
inline int FuzzSettings(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    NoThrow("settings", [&] {
        TIniFile ini = TIniFile::FromBytes(bytes);
        static const char* const keys[] = {"Point Limiter", "Threshold Limiter", "MiddlePoint Limiter",
                                           "Auto Service", "Selected Service"};
        int sum = 0;
        for (const char* key : keys)
            sum += ini.ReadInteger("Nibwright", key, -1) + ini.ReadBool("Nibwright", key, false);
        (void)sum;

        const int row = size > 0 ? static_cast<int8_t>(data[0]) : -1;
        ini.WriteBool("Nibwright", "Point Limiter", true);
        ini.WriteBool("Nibwright", "MiddlePoint Limiter", false);
        ini.WriteInteger("Nibwright", "Selected Service", row);
        TIniFile back = TIniFile::FromBytes(ini.ToBytes());
        Check(back.ReadBool("Nibwright", "Point Limiter", false), "\"Point Limiter\" 1 did not read back");
        Check(!back.ReadBool("Nibwright", "MiddlePoint Limiter", true),
              "\"MiddlePoint Limiter\" 0 did not read back");
        Check(back.ReadInteger("Nibwright", "Selected Service", 12345) == row,
              "\"Selected Service\" did not read back");
    });
    return 0;
}

// The format test, against its definition: at most five characters of the first line, ASCII upper case,
// equal to "<?XML".
inline int FuzzIsXmlFile(const uint8_t* data, size_t size) {
    const QString path = WriteScratch("isxml.dat", data, size);
    std::string head;
    for (size_t i = 0; i < size && head.size() < 5 && data[i] != '\r' && data[i] != '\n'; ++i) {
        char c = static_cast<char>(data[i]);
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        head += c;
    }
    NoThrow("IsXmlFile",
            [&] { Check(IsXmlFile(path) == (head == "<?XML"), "IsXmlFile disagrees with its rule"); });
    return 0;
}

} // namespace nibfuzz
