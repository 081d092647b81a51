#include "data/XmlScan.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

// NIB_XML_SCALAR (the build option NIB_XML_SSE2=OFF) compiles the byte-by-byte paths that a processor
// without SSE2 runs, so that they are built and tested on this one too.
#if !defined(NIB_XML_SCALAR) && (defined(__SSE2__) || defined(_M_X64))
#include <emmintrin.h>
#define NIB_SCAN_SSE2 1
#endif

namespace {

// Character classes of the parser: blanks, the characters a name may contain, and those it may begin with
// (letters, '_', ':' and every byte from 0x80 on, so that UTF-8 names pass as they are).
enum : unsigned char { Space = 1, NameChar = 2, NameStart = 4 };

constexpr unsigned char ClassOf(unsigned c) {
    unsigned char k = 0;
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
        k |= Space;
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (letter || c == '_' || c == ':' || c >= 0x80)
        k |= NameStart | NameChar;
    if ((c >= '0' && c <= '9') || c == '-' || c == '.')
        k |= NameChar;
    return k;
}

struct ClassTable {
    unsigned char Of[256];
    constexpr ClassTable() : Of() {
        for (unsigned c = 0; c < 256; ++c)
            Of[c] = ClassOf(c);
    }
};

constexpr ClassTable Classes;

inline bool Is(char c, unsigned char k) {
    return (Classes.Of[static_cast<unsigned char>(c)] & k) != 0;
}

#ifdef NIB_SCAN_SSE2
// Sixteen bytes at `s` as a mask, one bit for each byte that is a name character.
inline unsigned NameMask(const char* s) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    const __m128i high = _mm_cmplt_epi8(v, _mm_setzero_si128()); // 0x80 and above
    // Setting bit 5 maps exactly the letters of both cases onto 'a'..'z'.
    const __m128i lower = _mm_or_si128(v, _mm_set1_epi8(0x20));
    const __m128i letter = _mm_and_si128(_mm_cmpgt_epi8(lower, _mm_set1_epi8('a' - 1)),
                                         _mm_cmplt_epi8(lower, _mm_set1_epi8('z' + 1)));
    const __m128i digit =
        _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8('0' - 1)), _mm_cmplt_epi8(v, _mm_set1_epi8('9' + 1)));
    const __m128i other = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('_')), _mm_cmpeq_epi8(v, _mm_set1_epi8(':'))),
        _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('.')), _mm_cmpeq_epi8(v, _mm_set1_epi8('-'))));
    return static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(high, letter), _mm_or_si128(digit, other))));
}

// Sixteen bytes at `s` as a mask, one bit for each byte equal to `a` or to `b`.
inline unsigned EitherMask(const char* s, char a, char b) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    return static_cast<unsigned>(_mm_movemask_epi8(
        _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(a)), _mm_cmpeq_epi8(v, _mm_set1_epi8(b)))));
}
#endif

// Whether the `n` bytes at `a` and at `b` are the same; names are short, and a call to memcmp costs more.
inline bool SameBytes(const char* a, const char* b, size_t n) {
    for (; n >= 8; a += 8, b += 8, n -= 8) {
        uint64_t x, y;
        std::memcpy(&x, a, 8);
        std::memcpy(&y, b, 8);
        if (x != y)
            return false;
    }
    for (; n > 0; ++a, ++b, --n)
        if (*a != *b)
            return false;
    return true;
}

// Just past the first `a b` at or after `s`, or null when the document ends before one.
inline const char* PastTwo(const char* s, char a, char b) {
    while (*s != 0 && !(s[0] == a && s[1] == b))
        ++s;
    return *s ? s + 2 : nullptr;
}

// Just past the first `a b c` at or after `s`, or null when the document ends before one.
inline const char* PastThree(const char* s, char a, char b, char c) {
    while (*s != 0 && !(s[0] == a && s[1] == b && s[2] == c))
        ++s;
    return *s ? s + 3 : nullptr;
}

// Where text ends: every '<' and every zero byte of the bytes, as one bit per byte, worked out a block of
// bytes at a time ahead of the pass. The pass asks for the next one after each tag it has read; as those
// questions do not wait for the tag's own reading, the processor reads one tag while it finds the next.
class TextStops {
public:
    // `end` is the array's own zero.
    TextStops(const char* begin, const char* end) : Begin(begin), Size(static_cast<size_t>(end - begin)) {}

    // The offset of the first stop at or after `at`, which is at most the offset of the array's own zero,
    // the last stop. Asked in increasing order, every block is worked out once.
    size_t Next(size_t at) {
        size_t word = at / 64 - First;
        if (word >= Count) {
            Fill(at / 64);
            word = 0;
        }
        uint64_t bits = Bits[word] & (~uint64_t(0) << (at % 64));
        while (bits == 0) {
            if (++word == Count) {
                Fill(First + Count);
                word = 0;
            }
            bits = Bits[word];
        }
        return (First + word) * 64 + static_cast<size_t>(std::countr_zero(bits));
    }

private:
    static constexpr size_t Words = 32; // 2 KB of bytes a block

    // The block of words from `first` on, up to the word that holds the array's own zero.
    void Fill(size_t first) {
        First = first;
        const size_t last = Size / 64; // the word of the array's own zero
        Count = std::min(Words, last + 1 - first);
        for (size_t w = 0; w < Count; ++w) {
            const char* p = Begin + (first + w) * 64;
            uint64_t bits = 0;
            if (first + w < last) {
#ifdef NIB_SCAN_SSE2
                for (int k = 0; k < 4; ++k)
                    bits |= uint64_t(EitherMask(p + 16 * k, '<', 0)) << (16 * k);
#else
                for (int k = 0; k < 64; ++k)
                    bits |= uint64_t(p[k] == '<' || p[k] == 0) << k;
#endif
            } else {
                // The last word, read up to and with the array's own zero.
                const size_t n = Size - (first + w) * 64 + 1;
                for (size_t k = 0; k < n; ++k)
                    bits |= uint64_t(p[k] == '<' || p[k] == 0) << k;
            }
            Bits[w] = bits;
        }
    }

    const char* Begin;
    size_t Size;
    uint64_t Bits[Words] = {};
    size_t First = 0;
    size_t Count = 0;
};

// The runs the pass skips most: names, attribute values up to their quote. Sixteen bytes at a time while
// they lie before `end`, then byte by byte up to the array's own zero.
inline const char* SkipNameChars(const char* s, const char* end) {
#ifdef NIB_SCAN_SSE2
    // Thirty-two bytes a step, as many names are longer than sixteen.
    for (; end - s >= 32; s += 32)
        if (const uint32_t m = ~(NameMask(s) | NameMask(s + 16) << 16))
            return s + std::countr_zero(m);
    for (; end - s >= 16; s += 16)
        if (const unsigned m = ~NameMask(s) & 0xffffu)
            return s + std::countr_zero(m);
#else
    (void)end;
#endif
    while (Is(*s, NameChar))
        ++s;
    return s;
}

inline const char* SkipToQuote(const char* s, const char* end, char quote) {
#ifdef NIB_SCAN_SSE2
    for (; end - s >= 16; s += 16)
        if (const unsigned m = EitherMask(s, quote, 0))
            return s + std::countr_zero(m);
#else
    (void)end;
#endif
    while (*s != quote && *s != 0)
        ++s;
    return s;
}

// Start tags read before, by their bytes: a preference file repeats the same few tags thousands of times,
// and bytes equal to a tag read before are that tag again, with the same name and the same end.
class TagMemo {
public:
    static constexpr size_t MaxLength = 32;

    struct Tag {
        unsigned char Length = 0; // 0: no tag remembered here
        unsigned char NameLength = 0;
        bool Closed = false; // ends in "/>"
        char Bytes[MaxLength] = {};
    };

    // The tag remembered with the bytes at `lt`, or null. `end` is the array's own zero.
    const Tag* Find(const char* lt, const char* end) const {
        if (end - lt < static_cast<ptrdiff_t>(MaxLength))
            return nullptr;
        const Tag& tag = Tags[Slot(lt)];
#ifdef NIB_SCAN_SSE2
        const __m128i* a = reinterpret_cast<const __m128i*>(lt);
        const __m128i* b = reinterpret_cast<const __m128i*>(tag.Bytes);
        const uint32_t same =
            static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(a), _mm_loadu_si128(b)))) |
            static_cast<uint32_t>(
                _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(a + 1), _mm_loadu_si128(b + 1))))
                << 16;
        // The first Length bytes are the same; a slot holding no tag has Length 0 and never matches.
        const uint32_t want = tag.Length == MaxLength ? ~uint32_t(0) : (uint32_t(1) << tag.Length) - 1;
        return tag.Length != 0 && (same & want) == want ? &tag : nullptr;
#else
        return tag.Length != 0 && std::memcmp(lt, tag.Bytes, tag.Length) == 0 ? &tag : nullptr;
#endif
    }

    // `length` bytes from `lt` are a start tag whose name has `nameLength` bytes.
    void Remember(const char* lt, const char* end, size_t length, size_t nameLength, bool closed) {
        if (length > MaxLength || end - lt < static_cast<ptrdiff_t>(MaxLength))
            return;
        Tag& tag = Tags[Slot(lt)];
        tag.Length = static_cast<unsigned char>(length);
        tag.NameLength = static_cast<unsigned char>(nameLength);
        tag.Closed = closed;
        std::memcpy(tag.Bytes, lt, length);
    }

private:
    // From the sixteen bytes after the '<', which tell apart names that share a long beginning.
    static size_t Slot(const char* lt) {
        uint64_t a, b;
        std::memcpy(&a, lt + 1, 8);
        std::memcpy(&b, lt + 9, 8);
        return static_cast<size_t>((a * 0x9E3779B97F4A7C15u ^ b * 0xC2B2AE3D27D4EB4Fu) >> 56);
    }

    Tag Tags[256];
};

// The pass reads the bytes up to the zero the array holds after them, as the parser reads its copy of the
// bytes with a zero put after them; a zero byte inside the document ends it just the same. Every access
// stays in bounds: a byte past the current one is looked at only when the current one is not zero.
class Scanner {
public:
    Scanner(const char* begin, size_t size, std::string_view a, std::string_view b, XmlElementSink* sink)
        : Begin(begin), End(begin + size), NameA(a), NameB(b), Sink(sink) {}

    bool Run(XmlScanResult& out);

private:
    struct Open {
        const char* Name;
        size_t Length;
    };

    static void SkipSpace(const char*& s) {
        while (Is(*s, Space))
            ++s;
    }
    void SkipName(const char*& s) const { s = SkipNameChars(s, End); }

    bool Wanted(const char* name, size_t length) const;
    void Push(const char* lt, const char* name, size_t length, bool wanted);
    void Pop(const char* end);

    const char* DoctypePrimitive(const char* s) const;
    const char* DoctypeIgnore(const char* s) const;
    const char* DoctypeGroup(const char* s) const;
    const char* Exclamation(const char* s) const;
    const char* Question(const char* s) const;

    const char* Begin;
    const char* End; // the array's own zero
    std::string_view NameA, NameB;
    XmlElementSink* Sink;
    std::vector<Open> Stack;
    TagMemo Memo;
    bool TopElement = false;
    // The stack depth at which the current outermost wanted element was opened, or none.
    size_t WantedDepth = SIZE_MAX;
    XmlScanResult* Out = nullptr;
};

bool Scanner::Wanted(const char* name, size_t length) const {
    const std::string_view n(name, length);
    return WantedDepth == SIZE_MAX && (n == NameA || n == NameB);
}

void Scanner::Push(const char* lt, const char* name, size_t length, bool wanted) {
    if (Stack.empty())
        TopElement = true;
    if (wanted) {
        WantedDepth = Stack.size();
        Out->Outermost.push_back({static_cast<size_t>(lt - Begin), 0});
    }
    Stack.push_back({name, length});
}

// `end` is just after the element's last '>'.
void Scanner::Pop(const char* end) {
    Stack.pop_back();
    if (Stack.size() == WantedDepth) {
        Out->Outermost.back().End = static_cast<size_t>(end - Begin);
        WantedDepth = SIZE_MAX;
        if (Sink)
            Sink->Scanned(Out->Outermost.back());
    }
}

const char* Scanner::DoctypePrimitive(const char* s) const {
    if (*s == '"' || *s == '\'') {
        const char quote = *s++;
        while (*s != 0 && *s != quote)
            ++s;
        if (!*s)
            return nullptr;
        return s + 1;
    }
    if (s[0] == '<' && s[1] == '?')
        return PastTwo(s + 2, '?', '>');
    if (s[0] == '<' && s[1] == '!' && s[2] == '-' && s[3] == '-')
        return PastThree(s + 4, '-', '-', '>');
    return nullptr;
}

const char* Scanner::DoctypeIgnore(const char* s) const {
    size_t depth = 0;
    s += 3;
    while (*s) {
        if (s[0] == '<' && s[1] == '!' && s[2] == '[') {
            s += 3;
            ++depth;
        } else if (s[0] == ']' && s[1] == ']' && s[2] == '>') {
            s += 3;
            if (depth == 0)
                return s;
            --depth;
        } else {
            ++s;
        }
    }
    return nullptr;
}

// From the "<!" of "<!DOCTYPE" to its closing '>' (returned, not stepped over).
const char* Scanner::DoctypeGroup(const char* s) const {
    size_t depth = 0;
    s += 2;
    while (*s) {
        if (s[0] == '<' && s[1] == '!' && s[2] != '-') {
            if (s[2] == '[') {
                s = DoctypeIgnore(s);
                if (!s)
                    return nullptr;
            } else {
                s += 2;
                ++depth;
            }
        } else if (s[0] == '<' || s[0] == '"' || s[0] == '\'') {
            s = DoctypePrimitive(s);
            if (!s)
                return nullptr;
        } else if (*s == '>') {
            if (depth == 0)
                return s;
            --depth;
            ++s;
        } else {
            ++s;
        }
    }
    return nullptr;
}

// After "<!": a comment, a CDATA section or a DOCTYPE. Returns the position after it, or null.
const char* Scanner::Exclamation(const char* s) const {
    ++s;
    if (*s == '-') {
        ++s;
        if (*s != '-')
            return nullptr;
        return PastThree(s + 1, '-', '-', '>');
    }
    if (*s == '[') {
        // Byte by byte, stopping at the first that differs, so that nothing past a zero is read.
        for (const char* want = "CDATA["; *want; ++want)
            if (*++s != *want)
                return nullptr;
        return PastThree(s + 1, ']', ']', '>');
    }
    if (s[0] == 'D' && s[1] == 'O' && s[2] == 'C' && s[3] == 'T' && s[4] == 'Y' && s[5] == 'P' &&
        s[6] == 'E') {
        s -= 2;
        if (!Stack.empty())
            return nullptr;
        s = DoctypeGroup(s);
        if (!s)
            return nullptr;
        return s + 1;
    }
    return nullptr;
}

// After "<?": a processing instruction or declaration, skipped. Returns the position after it, or null.
const char* Scanner::Question(const char* s) const {
    ++s;
    if (!Is(*s, NameStart))
        return nullptr;
    SkipName(s);
    if (!*s)
        return nullptr;
    return PastTwo(s, '?', '>');
}

bool Scanner::Run(XmlScanResult& out) {
    Out = &out;
    const char* s = Begin;
    if (s[0] == '\xef' && s[1] == '\xbb' && s[2] == '\xbf')
        s += 3;

    TextStops stops(Begin, End);
    // Text, at the top level or inside an element: nothing in it can fail, it ends at the next '<' or at
    // the end of the document. A '<' that ends the document opens nothing, which fails below.
    for (size_t at = stops.Next(static_cast<size_t>(s - Begin)); Begin[at] != 0;) {
        s = Begin + at + 1;
        // After '<'.
        const char* lt = s - 1;
        if (const TagMemo::Tag* tag = Is(*s, NameStart) ? Memo.Find(lt, End) : nullptr) {
            if (Stack.empty())
                TopElement = true;
            if (!tag->Closed)
                Stack.push_back({s, tag->NameLength});
            s = lt + tag->Length;
        } else if (Is(*s, NameStart)) {
            const char* name = s;
            SkipName(s);
            const bool wanted = Wanted(name, static_cast<size_t>(s - name));
            if (wanted && Sink) {
                // An element the sink parsed whole on its own is, byte for byte, the element the document
                // holds there: the pass goes on after it as if it had scanned it.
                const size_t begin = static_cast<size_t>(lt - Begin);
                if (const size_t end = Sink->Take(begin)) {
                    if (Stack.empty())
                        TopElement = true;
                    Out->Outermost.push_back({begin, end});
                    at = stops.Next(end);
                    continue;
                }
            }
            const size_t nameLength = static_cast<size_t>(s - name);
            Push(lt, name, nameLength, wanted);
            const size_t depth = Stack.size();
            const char ch = *s++;
            if (ch == '>') {
            } else if (Is(ch, Space)) {
                for (;;) {
                    SkipSpace(s);
                    if (Is(*s, NameStart)) {
                        SkipName(s);
                        char c = *s++;
                        if (Is(c, Space)) {
                            SkipSpace(s);
                            c = *s++;
                        }
                        if (c != '=')
                            return false;
                        SkipSpace(s);
                        if (*s != '"' && *s != '\'')
                            return false;
                        const char quote = *s++;
                        s = SkipToQuote(s, End, quote);
                        if (!*s)
                            return false;
                        ++s;
                        if (Is(*s, NameStart))
                            return false;
                    } else if (*s == '/') {
                        ++s;
                        if (*s != '>')
                            return false;
                        ++s;
                        Pop(s);
                        break;
                    } else if (*s == '>') {
                        ++s;
                        break;
                    } else {
                        return false;
                    }
                }
            } else if (ch == '/') {
                if (*s != '>')
                    return false;
                ++s;
                Pop(s);
            } else {
                return false;
            }
            // A tag of a wanted name is never remembered: whether it opens a wanted element depends on
            // where it stands.
            const std::string_view n(name, nameLength);
            if (n != NameA && n != NameB)
                Memo.Remember(lt, End, static_cast<size_t>(s - lt), nameLength, Stack.size() < depth);
        } else if (*s == '/') {
            ++s;
            if (Stack.empty())
                return false;
            // The end tag's name is the open element's name exactly when it begins with that name and no
            // name character follows.
            const Open& open = Stack.back();
            if (static_cast<size_t>(End - s) < open.Length || !SameBytes(s, open.Name, open.Length) ||
                Is(s[open.Length], NameChar))
                return false;
            s += open.Length;
            SkipSpace(s);
            if (*s != '>')
                return false;
            ++s;
            Pop(s);
        } else if (*s == '?') {
            s = Question(s);
            if (!s)
                return false;
        } else if (*s == '!') {
            s = Exclamation(s);
            if (!s)
                return false;
        } else {
            return false;
        }
        // The stop after this '<' is found without waiting for the tag's end; it is the next tag's '<'
        // unless the tag held a '<' itself (in an attribute value, a comment or the like).
        const size_t next = stops.Next(at + 1);
        const size_t end = static_cast<size_t>(s - Begin);
        at = next >= end ? next : stops.Next(end);
    }

    // Every element closed, and at least one.
    return Stack.empty() && TopElement;
}

} // namespace

XmlScanResult ScanXml(const QByteArray& bytes, std::string_view nameA, std::string_view nameB,
                      XmlElementSink* sink) {
    XmlScanResult result;
    Scanner scanner(bytes.constData(), static_cast<size_t>(bytes.size()), nameA, nameB, sink);
    result.WellFormed = scanner.Run(result);
    if (!result.WellFormed)
        result.Outermost.clear();
    return result;
}
