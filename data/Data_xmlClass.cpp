#include "data/Data_xmlClass.h"

#include "system/AtomicFile.h"

#include <QFileInfo>

#include <pugixml.hpp>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
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

bool Parse(pugi::xml_document& doc, const QByteArray& bytes) {
    const pugi::xml_parse_result result = doc.load_buffer(
        bytes.constData(), static_cast<size_t>(bytes.size()), ParseOptions, pugi::encoding_utf8);
    if (!result) {
        doc.reset();
        return false;
    }
    return true;
}

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

// The pen elements: what "//TransducerTipButtonSettings | //TransducerEraserSettings" selects, every
// element of either name at any depth, in document order. One pass of the parser's own iterative walk, so
// that size and nesting depth cost only linear time.
class PenCollector : public pugi::xml_tree_walker {
public:
    std::vector<pugi::xml_node> Pens;

    bool for_each(pugi::xml_node& node) override {
        const char* name = node.name();
        // Both names begin with 'T': most elements are turned away by their first letter.
        if (name[0] == 'T' && node.type() == pugi::node_element &&
            (std::strcmp(name, TipElement) == 0 || std::strcmp(name, EraserElement) == 0))
            Pens.push_back(node);
        return true;
    }
};

std::vector<pugi::xml_node> SelectPens(pugi::xml_document& doc) {
    PenCollector collector;
    doc.traverse(collector);
    return std::move(collector.Pens);
}

// The element's text content: all descendant text and CDATA, in document order.
std::string TextOf(pugi::xml_node element) {
    std::string text;
    for (pugi::xml_node n = element.first_child(); n; n = NextInOrder(n, element)) {
        if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata)
            text += n.value();
    }
    return text;
}

pugi::xml_node RequireChild(pugi::xml_node pen, const char* name) {
    pugi::xml_node child = pen.child(name);
    if (!child)
        throw std::runtime_error(std::string("missing element ") + name);
    return child;
}

std::string ChildText(pugi::xml_node pen, const char* name) {
    return TextOf(RequireChild(pen, name));
}

void ReadInt(pugi::xml_node pen, const char* name, int32_t& out) {
    if (!StrToInt32(ChildText(pen, name), out))
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
    pugi::xml_node Element;
    std::string Text;
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
    edit.Element = element;
    edit.Text = text;
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

// Puts the kept edits into the bytes and the document alike.
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

    // The same change in the document: the kept elements are disjoint, none inside another.
    for (const Edit* edit : kept) {
        pugi::xml_node element = edit->Element;
        element.remove_children();
        element.append_child(pugi::node_pcdata).set_value(edit->Text.c_str());
    }
    target = std::move(bytes);
}

} // namespace

struct TXMLHandler::Impl {
    QByteArray Bytes; // what Save and SaveAs write
    std::unique_ptr<pugi::xml_document> Doc = std::make_unique<pugi::xml_document>();
    bool HasContent = false; // false when the last load could not read any bytes at all
    // True while Doc is exactly the parse of Bytes, so that its offsets point into Bytes; edits put into
    // both end it, as the document's offsets then still refer to the bytes before the edits.
    bool DocIsParseOfBytes = false;
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
    D->Doc->reset();
    D->Bytes.clear();
    D->HasContent = false;
    D->DocIsParseOfBytes = false;
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
    if (!Parse(*D->Doc, D->Bytes))
        return false;
    D->DocIsParseOfBytes = true;

    bool result = false;
    int32_t counter = 0;
    try {
        for (pugi::xml_node element : SelectPens(*D->Doc)) {
            result = true;
            Pen& pen = Pens.emplace_back();
            pen.ButtonName = ChildText(element, "ButtonName");
            ReadInt(element, "PressureResolution", pen.PressureResolution);
            ReadInt(element, "UpperPressureThreshold", pen.UpperThreshold);
            ReadInt(element, "LowerPressureThreshold", pen.LowerThreshold);
            if (!CurveFromText(ChildText(element, "PressureCurveControlPoint"), pen))
                throw std::runtime_error("not a curve");
            pen.NodeIndex = counter++;
        }
    } catch (...) {
        return false;
    }
    return result;
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
    // Bytes unchanged since the document was parsed from them need no second parse. Otherwise the document
    // is parsed in place of the previous one, so that one document's memory serves both; on failure the
    // previous one is parsed again from its bytes, which are still held.
    if (!D->DocIsParseOfBytes || bytes != D->Bytes) {
        D->DocIsParseOfBytes = false;
        if (!Parse(*D->Doc, bytes)) {
            D->DocIsParseOfBytes = Parse(*D->Doc, D->Bytes);
            throw std::runtime_error("Cannot store the pens: " + FileName.toStdString() +
                                     " is no longer a well-formed document");
        }
        D->Bytes = std::move(bytes);
        D->DocIsParseOfBytes = true;
    }
    D->HasContent = true;

    // Pens by NodeIndex, each list in array order: the first pen of the element's name in the list of the
    // stored counter is the one the element receives.
    std::unordered_map<int32_t, std::vector<const Pen*>> byIndex;
    for (const Pen& pen : Pens)
        byIndex[pen.NodeIndex].push_back(&pen);

    const std::string_view view(D->Bytes.constData(), static_cast<size_t>(D->Bytes.size()));
    std::vector<Edit> edits;
    try {
        int32_t stored = 0;
        const std::vector<pugi::xml_node> elements = SelectPens(*D->Doc);
        edits.reserve(std::min(elements.size(), Pens.size()) * 3);
        for (pugi::xml_node element : elements) {
            const std::string name = ChildText(element, "ButtonName");
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
                continue;
            const size_t first = edits.size();
            edits.push_back(MakeEdit(view, RequireChild(element, "UpperPressureThreshold"),
                                     IntToStr(found->UpperThreshold)));
            edits.push_back(MakeEdit(view, RequireChild(element, "LowerPressureThreshold"),
                                     IntToStr(found->LowerThreshold)));
            edits.push_back(
                MakeEdit(view, RequireChild(element, "PressureCurveControlPoint"), CurveText(*found)));
            // The three are siblings: in their document order they keep the whole list in order.
            std::sort(edits.begin() + static_cast<ptrdiff_t>(first), edits.end(),
                      [](const Edit& a, const Edit& b) { return a.Start < b.Start; });
            ++stored;
        }
    } catch (...) {
        // A missing element or a place that cannot be found ends the storing; what was set so far stays.
    }
    if (!edits.empty())
        D->DocIsParseOfBytes = false;
    ApplyEdits(D->Bytes, edits);
}
