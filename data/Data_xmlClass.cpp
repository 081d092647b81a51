#include "data/Data_xmlClass.h"

#include "data/XmlScan.h"
#include "system/AtomicFile.h"

#include <QFileInfo>

#include <pugixml.hpp>

#include <algorithm>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

namespace {

constexpr const char* TipElement = "TransducerTipButtonSettings";
constexpr const char* EraserElement = "TransducerEraserSettings";

// Entities and character references are decoded, line ends normalised, and a text of blanks alone is kept
// when it is an element's only content. No DTD is processed: a DOCTYPE never pulls in other files and custom
// entities are never expanded. The bytes are taken as they are (no conversion from a declared encoding), so
// node offsets point into the bytes as read.
constexpr unsigned ParseOptions = pugi::parse_default | pugi::parse_ws_pcdata_single;

// Parses one element of the bytes on its own into a document. What the parser makes of an element does not
// depend on what lies around it, so the tree is the element's subtree in the whole document, with offsets
// counted from the span's start. The element is parsed in a buffer of this parser's own, reused from one
// element to the next, and put there with a zero after it, as the parser puts one after a copy it makes.
class SpanParser {
public:
    bool Parse(const QByteArray& bytes, XmlElementSpan span) {
        const size_t size = span.End - span.Begin;
        Buffer.resize(size + 1);
        std::memcpy(Buffer.data(), bytes.constData() + span.Begin, size);
        Buffer[size] = 0;
        if (!Doc.load_buffer_inplace(Buffer.data(), Buffer.size(), ParseOptions, pugi::encoding_utf8)) {
            Doc.reset();
            return false;
        }
        return true;
    }

    pugi::xml_document Doc;

private:
    std::vector<char> Buffer;
};

// The next node after `node` in document order within `root`'s subtree, or null.
pugi::xml_node NextInOrder(pugi::xml_node node, pugi::xml_node root) {
    if (node.first_child())
        return node.first_child();
    while (node && node != root) {
        if (pugi::xml_node next = node.next_sibling())
            return next;
        node = node.parent();
    }
    return pugi::xml_node();
}

// Both pen element names begin with it.
constexpr std::string_view PenPrefix = "Transducer";
static_assert(std::string_view(TipElement).starts_with(PenPrefix) &&
              std::string_view(EraserElement).starts_with(PenPrefix));

// Hands `visit` the pen elements of one parsed pen element: itself and, when `mayHoldPens`, every pen
// element at any depth inside it, in document order. Over the outermost pen elements in their order, this
// is what "//TransducerTipButtonSettings | //TransducerEraserSettings" selects in the whole document.
template <class Visit> void ForEachPen(const pugi::xml_document& doc, bool mayHoldPens, Visit&& visit) {
    if (!mayHoldPens) {
        visit(doc.first_child());
        return;
    }
    // One iterative walk, so that size and nesting depth cost only linear time.
    for (pugi::xml_node n = doc.first_child(); n; n = NextInOrder(n, doc)) {
        const char* name = n.name();
        // Both names begin with 'T': most elements are turned away by their first letter.
        if (name[0] == 'T' && n.type() == pugi::node_element &&
            (std::strcmp(name, TipElement) == 0 || std::strcmp(name, EraserElement) == 0))
            visit(n);
    }
}

// Parses the outermost pen elements one by one as the pass over the whole document meets them, and hands
// each parsed one to `process` in document order. An element is first tried whole: from its '<' to the
// first end tag of its name, parsed on its own. When that parses, it is the element (a shorter element would
// leave that end tag at the top level, where it cannot parse), and the pass need not scan it. Otherwise, as
// for a pen element nested in another of its name, the pass scans it and it is parsed afterwards.
//
// `process` raising stops the handing on: later elements are not processed, while the pass still decides
// whether the document is well-formed. Stopped tells of it.
class PenParser : public XmlElementSink {
public:
    // The parsed element, its span, and whether other pen elements may lie inside it.
    using Process = std::function<void(pugi::xml_document&, XmlElementSpan, bool)>;

    PenParser(const QByteArray& bytes, Process process)
        : Bytes(bytes), View(bytes.constData(), static_cast<size_t>(bytes.size())),
          Handle(std::move(process)),
          // What failed tries may cost in all before trying stops, so that the pass stays linear in the
          // size whatever the document holds.
          TryBudget(View.size() / 2 + MaxTry) {}

    size_t Take(size_t begin) override {
        if (Stopped || TryBudget == 0)
            return 0;
        bool mayHoldPens = true;
        const size_t end = CandidateEnd(begin, mayHoldPens);
        if (end != 0 && Parser.Parse(Bytes, {begin, end})) {
            Hand({begin, end}, mayHoldPens);
            return Stopped ? 0 : end;
        }
        // A try that fails cost the bytes it searched or parsed: the pass will scan them again.
        const size_t cost = end != 0 ? end - begin : std::min(View.size(), begin + MaxTry) - begin;
        TryBudget -= std::min(TryBudget, cost);
        return 0;
    }

    void Scanned(XmlElementSpan span) override {
        if (Stopped)
            return;
        if (!Parser.Parse(Bytes, span)) {
            Stopped = true;
            return;
        }
        Hand(span, true);
    }

    bool Stopped = false;

private:
    // A pen element is a few hundred bytes; one whose end tag lies further is left to the pass.
    static constexpr size_t MaxTry = 64 * 1024;

    void Hand(XmlElementSpan span, bool mayHoldPens) {
        try {
            Handle(Parser.Doc, span, mayHoldPens);
        } catch (...) {
            Stopped = true;
        }
    }

    // Just after the first end tag of the element's name within reach, or 0. Tells in `mayHoldPens` whether
    // a start tag of another pen element may lie before it.
    size_t CandidateEnd(size_t begin, bool& mayHoldPens) const {
        const std::string_view name =
            View.substr(begin + 1).starts_with(TipElement) ? TipElement : EraserElement;
        const std::string_view area = View.substr(0, std::min(View.size(), begin + MaxTry));
        mayHoldPens = false;
        // Most tags differ from both words in their first two letters: the whole word is compared only then.
        const auto wordAt = [&](size_t i, std::string_view word) {
            return area.size() - i > word.size() && area[i] == word[0] && area[i + 1] == word[1] &&
                   area.substr(i).starts_with(word);
        };
        for (size_t from = begin + 1 + name.size();;) {
            const size_t at = area.find('<', from);
            if (at == std::string_view::npos)
                return 0;
            size_t i = at + 1;
            if (i < area.size() && area[i] == '/') {
                ++i;
                if (wordAt(i, name)) {
                    i += name.size();
                    while (i < area.size() &&
                           (area[i] == ' ' || area[i] == '\t' || area[i] == '\r' || area[i] == '\n'))
                        ++i;
                    if (i < area.size() && area[i] == '>')
                        return i + 1;
                }
            } else if (wordAt(i, PenPrefix)) {
                mayHoldPens = true;
            }
            from = i;
        }
    }

    const QByteArray& Bytes;
    std::string_view View;
    Process Handle;
    SpanParser Parser;
    size_t TryBudget;
};

// Scans `bytes` and hands each outermost pen element, parsed, to `process`.
XmlScanResult ScanPens(const QByteArray& bytes, const PenParser::Process& process, bool& stopped) {
    PenParser parser(bytes, process);
    XmlScanResult result = ScanXml(bytes, TipElement, EraserElement, &parser);
    stopped = parser.Stopped;
    return result;
}

// The element's text content: all descendant text and CDATA, in document order. Most value elements hold
// one text and nothing else, which is read where it lies; other contents are put together in `scratch`.
std::string_view TextOf(pugi::xml_node element, std::string& scratch) {
    const pugi::xml_node first = element.first_child();
    if (first && !first.next_sibling() &&
        (first.type() == pugi::node_pcdata || first.type() == pugi::node_cdata))
        return first.value();
    scratch.clear();
    for (pugi::xml_node n = first; n; n = NextInOrder(n, element)) {
        if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata)
            scratch += n.value();
    }
    return scratch;
}

std::string TextOf(pugi::xml_node element) {
    std::string scratch;
    return std::string(TextOf(element, scratch));
}

// The value elements of one pen element, found in one pass over its children: of each name the first
// child of that name, as `pugi::xml_node::child` finds it.
struct PenChildren {
    pugi::xml_node ButtonName, Resolution, Upper, Lower, Curve;

    explicit PenChildren(pugi::xml_node pen) {
        for (pugi::xml_node c = pen.first_child(); c; c = c.next_sibling()) {
            const char* n = c.name();
            // The first letter, and for the two in 'P' the ninth, leave one name to compare.
            pugi::xml_node* slot = nullptr;
            const char* want = nullptr;
            switch (n[0]) {
            case 'B':
                slot = &ButtonName, want = "ButtonName";
                break;
            case 'P':
                if (std::strncmp(n, "Pressure", 8) == 0 && n[8] == 'R')
                    slot = &Resolution, want = "PressureResolution";
                else
                    slot = &Curve, want = "PressureCurveControlPoint";
                break;
            case 'U':
                slot = &Upper, want = "UpperPressureThreshold";
                break;
            case 'L':
                slot = &Lower, want = "LowerPressureThreshold";
                break;
            default:
                continue;
            }
            if (!*slot && std::strcmp(n, want) == 0)
                *slot = c;
        }
    }

    static pugi::xml_node Require(pugi::xml_node child, const char* name) {
        if (!child)
            throw std::runtime_error(std::string("missing element ") + name);
        return child;
    }
};

void ReadInt(pugi::xml_node child, const char* name, int32_t& out) {
    std::string scratch;
    if (!StrToInt32(TextOf(PenChildren::Require(child, name), scratch), out))
        throw std::runtime_error(std::string("not a number in ") + name);
}

std::string Escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// One element's content to be replaced in the bytes: [Start, End) becomes Replacement.
struct Edit {
    size_t Start = 0;
    size_t End = 0;
    std::string Replacement;
};

// The position just after the '>' that closes the tag starting at `from` (attribute values may hold '>').
size_t TagEnd(std::string_view bytes, size_t from) {
    for (size_t i = from; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '"' || c == '\'') {
            i = bytes.find(c, i + 1);
            if (i == std::string_view::npos)
                break;
        } else if (c == '>') {
            return i + 1;
        }
    }
    throw std::runtime_error("unterminated tag");
}

size_t SkipPast(std::string_view bytes, size_t from, std::string_view terminator) {
    const size_t at = bytes.find(terminator, from);
    if (at == std::string_view::npos)
        throw std::runtime_error("unterminated markup");
    return at + terminator.size();
}

// Finds the element's place in the bytes and the edit that gives it `text` as its only content. A leaf's
// content ends at its end tag; an element with children is scanned to its matching end tag. `<X/>` becomes
// `<X>text</X>`.
Edit MakeEdit(std::string_view bytes, pugi::xml_node element, const std::string& text) {
    const ptrdiff_t offset = element.offset_debug();
    const std::string_view name = element.name();
    if (offset < 1 || static_cast<size_t>(offset) + name.size() > bytes.size() ||
        bytes[static_cast<size_t>(offset) - 1] != '<' ||
        bytes.substr(static_cast<size_t>(offset), name.size()) != name)
        throw std::runtime_error("element not found in the bytes");
    const size_t open = TagEnd(bytes, static_cast<size_t>(offset) + name.size());
    Edit edit;
    if (bytes[open - 2] == '/') {
        edit.Start = open - 2;
        edit.End = open;
        const std::string escaped = Escape(text);
        edit.Replacement.reserve(escaped.size() + name.size() + 4);
        edit.Replacement.append(">").append(escaped).append("</").append(name).append(">");
        return edit;
    }
    int depth = 1;
    size_t i = open;
    for (;;) {
        const size_t lt = bytes.find('<', i);
        if (lt == std::string_view::npos)
            throw std::runtime_error("missing end tag");
        const std::string_view rest = bytes.substr(lt);
        if (rest.starts_with("<!--")) {
            i = SkipPast(bytes, lt + 4, "-->");
        } else if (rest.starts_with("<![CDATA[")) {
            i = SkipPast(bytes, lt + 9, "]]>");
        } else if (rest.starts_with("<?")) {
            i = SkipPast(bytes, lt + 2, "?>");
        } else if (rest.starts_with("</")) {
            if (--depth == 0) {
                edit.Start = open;
                edit.End = lt;
                edit.Replacement = Escape(text);
                return edit;
            }
            i = TagEnd(bytes, lt + 2);
        } else {
            i = TagEnd(bytes, lt + 1);
            if (bytes[i - 2] != '/')
                ++depth;
        }
    }
}

// Puts the edits into the bytes.
void ApplyEdits(QByteArray& target, std::vector<Edit>& edits) {
    if (edits.empty())
        return;
    // An element written earlier drops the content it had, pen elements nested in it included; a later edit
    // inside such a content has no place left in the document.
    // Edits come in document order unless a pen element is nested inside another one.
    const auto byStart = [](const Edit& a, const Edit& b) { return a.Start < b.Start; };
    if (!std::is_sorted(edits.begin(), edits.end(), byStart))
        std::stable_sort(edits.begin(), edits.end(), byStart);
    std::vector<const Edit*> kept;
    size_t end = 0;
    for (const Edit& edit : edits) {
        if (!kept.empty() && edit.Start < end)
            continue;
        kept.push_back(&edit);
        end = edit.End;
    }

    const QByteArray& old = target;
    QByteArray bytes;
    qsizetype size = old.size();
    for (const Edit* edit : kept)
        size += static_cast<qsizetype>(edit->Replacement.size()) -
                static_cast<qsizetype>(edit->End - edit->Start);
    bytes.reserve(size);
    size_t at = 0;
    for (const Edit* edit : kept) {
        bytes.append(old.constData() + at, static_cast<qsizetype>(edit->Start - at));
        bytes.append(edit->Replacement.data(), static_cast<qsizetype>(edit->Replacement.size()));
        at = edit->End;
    }
    bytes.append(old.constData() + at, old.size() - static_cast<qsizetype>(at));

    target = std::move(bytes);
}

} // namespace

struct TXMLHandler::Impl {
    QByteArray Bytes;        // what Save and SaveAs write
    bool HasContent = false; // false when the last load could not read any bytes at all
};

TXMLHandler::TXMLHandler(const QString& fileName) : TFileHandler(fileName), D(std::make_unique<Impl>()) {
    Valid = Read(FileName);
}

TXMLHandler::~TXMLHandler() = default;

const QByteArray& TXMLHandler::GetBytes() const {
    return D->Bytes;
}

bool TXMLHandler::Read(const QString& path) {
    Pens.clear();
    D->Bytes.clear();
    D->HasContent = false;
    if (!FileExists(path))
        return false;
    try {
        D->Bytes = ReadBytes(path);
    } catch (...) {
        return false;
    }
    // A document that does not parse keeps its bytes: a restore of such a backup writes exactly what the
    // backup holds, never an empty document.
    D->HasContent = true;
    int32_t counter = 0;
    bool stopped = false;
    XmlScanResult scan = ScanPens(
        D->Bytes,
        [&](pugi::xml_document& doc, XmlElementSpan, bool mayHoldPens) {
            ForEachPen(doc, mayHoldPens, [&](pugi::xml_node element) {
                const PenChildren children(element);
                Pen& pen = Pens.emplace_back();
                pen.ButtonName = TextOf(PenChildren::Require(children.ButtonName, "ButtonName"));
                ReadInt(children.Resolution, "PressureResolution", pen.PressureResolution);
                ReadInt(children.Upper, "UpperPressureThreshold", pen.UpperThreshold);
                ReadInt(children.Lower, "LowerPressureThreshold", pen.LowerThreshold);
                std::string scratch;
                if (!CurveFromText(
                        TextOf(PenChildren::Require(children.Curve, "PressureCurveControlPoint"), scratch),
                        pen))
                    throw std::runtime_error("not a curve");
                pen.NodeIndex = counter++;
            });
        },
        stopped);
    if (!scan.WellFormed) {
        Pens.clear();
        return false;
    }
    // A pen whose values cannot be read makes the file unreadable; the pens before it stay as read.
    return !stopped && !Pens.empty();
}

void TXMLHandler::Save() {
    Write(FileName, false);
}

void TXMLHandler::SaveAs(const QString& path) {
    Write(path, true);
}

void TXMLHandler::Write(const QString& path, bool createFolders) {
    // Without any bytes read there is no document: writing one would leave an empty file in its place.
    if (!D->HasContent)
        throw WriteError("Cannot write " + path.toStdString() + ": no document was loaded");
    if (createFolders)
        CreateFolders(QFileInfo(path).absolutePath());
    WriteFileAtomic(path, D->Bytes);
}

void TXMLHandler::Reload() {
    Valid = Read(FileName);
}

void TXMLHandler::LoadFrom(const QString& path) {
    if (!FileExists(FileName) || !FileExists(path)) {
        Valid = false;
        return;
    }
    Valid = Read(path);
}

void TXMLHandler::StorePens(const APen& pens) {
    Pens = pens;

    // The file as it is on disk now, so that changes others made since the last read survive. When it
    // cannot be read or parsed, the previous document stays and the caller learns of it: saving an empty
    // document over the preference file would lose it.
    if (!FileExists(FileName))
        throw std::runtime_error("Cannot store the pens: " + FileName.toStdString() + " no longer exists");
    QByteArray bytes = ReadBytes(FileName);

    // Pens by NodeIndex, each list in array order: the first pen of the element's name in the list of the
    // stored counter is the one the element receives.
    std::unordered_map<int32_t, std::vector<const Pen*>> byIndex;
    for (const Pen& pen : Pens)
        byIndex[pen.NodeIndex].push_back(&pen);

    // The edits for the pen elements of one parsed outermost pen element of the bytes. A missing element or
    // a place that cannot be found raises, which ends the storing; what was set so far stays.
    std::vector<Edit> edits;
    int32_t stored = 0;
    auto process = [&](pugi::xml_document& doc, XmlElementSpan span, bool mayHoldPens) {
        const std::string_view view(bytes.constData() + span.Begin, span.End - span.Begin);
        ForEachPen(doc, mayHoldPens, [&](pugi::xml_node element) {
            const PenChildren children(element);
            const std::string name = TextOf(PenChildren::Require(children.ButtonName, "ButtonName"));
            const Pen* found = nullptr;
            if (auto it = byIndex.find(stored); it != byIndex.end()) {
                for (const Pen* pen : it->second) {
                    if (pen->ButtonName == name) {
                        found = pen;
                        break;
                    }
                }
            }
            if (!found)
                return;
            const size_t first = edits.size();
            const std::tuple<pugi::xml_node, const char*, std::string> values[] = {
                {children.Upper, "UpperPressureThreshold", IntToStr(found->UpperThreshold)},
                {children.Lower, "LowerPressureThreshold", IntToStr(found->LowerThreshold)},
                {children.Curve, "PressureCurveControlPoint", CurveText(*found)}};
            for (const auto& [child, childName, text] : values) {
                Edit edit = MakeEdit(view, PenChildren::Require(child, childName), text);
                edit.Start += span.Begin;
                edit.End += span.Begin;
                edits.push_back(std::move(edit));
            }
            // The three are siblings: in their document order they keep the whole list in order.
            std::sort(edits.begin() + static_cast<ptrdiff_t>(first), edits.end(),
                      [](const Edit& a, const Edit& b) { return a.Start < b.Start; });
            ++stored;
        });
    };

    // A file that no longer scans as well-formed leaves the previous bytes as they are.
    bool stopped = false;
    if (!ScanPens(bytes, process, stopped).WellFormed)
        throw std::runtime_error("Cannot store the pens: " + FileName.toStdString() +
                                 " is no longer a well-formed document");
    ApplyEdits(bytes, edits);
    D->Bytes = std::move(bytes);
    D->HasContent = true;
}
