#include "system/Settings.h"

#include "system/AtomicFile.h"

// 8-bit texts pass through unchanged; names compare with ASCII letter case folded.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string_view>

struct TIniFile::Impl {
    Impl() {
        // Like the Windows profile functions: names compare without letter case (CSimpleIniA does that),
        // the first of duplicate keys is the one read, and a written key replaces all of its duplicates.
        Ini.SetUnicode(false);
        Ini.SetMultiKey(true);
        Ini.SetSpaces(false);
        Ini.SetQuotes(true);
    }

    void Load(const std::string& bytes) {
        if (Ini.LoadData(bytes.data(), bytes.size()) < 0) {
            Ini.Reset();
            Readable = false;
        }
    }

    std::string Text() const {
        std::string out;
        Ini.Save(out, Ini.IsUnicode());
        return out;
    }

    CSimpleIniA Ini;
    QString FileName;
    bool Existed = false;
    // False when the file existed but could not be read: writing it back would replace its contents with
    // only the keys set since, so writes refuse instead.
    bool Readable = true;
    bool InMemory = false;
    // Inside Update: writes set keys in memory only, and Before is the text to go back to.
    bool Updating = false;
    std::string Before;
};

TIniFile::TIniFile() : D(std::make_unique<Impl>()) {}

TIniFile::TIniFile(const QString& path) : D(std::make_unique<Impl>()) {
    D->FileName = path;
    const QFileInfo info(path);
    D->Existed = info.exists() && info.isFile();
    if (!info.exists())
        return;
    QFile file(path);
    if (!D->Existed || !file.open(QIODevice::ReadOnly)) {
        D->Readable = false;
        return;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        D->Readable = false;
        return;
    }
    D->Load(bytes.toStdString());
}

TIniFile::~TIniFile() = default;
TIniFile::TIniFile(TIniFile&&) noexcept = default;
TIniFile& TIniFile::operator=(TIniFile&&) noexcept = default;

TIniFile TIniFile::FromBytes(const std::string& bytes) {
    TIniFile ini;
    ini.D->InMemory = true;
    ini.D->Existed = true;
    ini.D->Load(bytes);
    return ini;
}

const QString& TIniFile::FileName() const {
    return D->FileName;
}

bool TIniFile::Exists() const {
    return D->Existed;
}

std::string TIniFile::ReadString(const char* section, const char* key, const std::string& def) const {
    const char* value = D->Ini.GetValue(section, key, nullptr);
    return value ? std::string(value) : def;
}

int TIniFile::ReadInteger(const char* section, const char* key, int def) const {
    const char* text = D->Ini.GetValue(section, key, nullptr);
    int value = 0;
    if (!text || !ParseIniInteger(text, value))
        return def;
    return value;
}

bool TIniFile::ReadBool(const char* section, const char* key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::Set(const char* section, const char* key, const std::string& value) {
    if (!D->InMemory && !D->Readable)
        throw std::runtime_error("Cannot write " + D->FileName.toStdString() +
                                 ": the file exists but could not be read");
    // A line break would end the line early and let the rest of the text stand as keys of its own.
    for (const std::string_view part :
         {std::string_view(section), std::string_view(key), std::string_view(value)})
        if (part.find_first_of("\r\n") != std::string_view::npos)
            throw std::runtime_error("Cannot write " + D->FileName.toStdString() + ": a line break in \"" +
                                     std::string(key) + "\"");
    if (D->Ini.SetValue(section, key, value.c_str(), nullptr, true) < 0)
        throw std::runtime_error("Cannot set " + std::string(key) + " in " + D->FileName.toStdString());
}

void TIniFile::Store(const std::string& before) {
    if (D->InMemory)
        return;
    try {
        WriteFileAtomic(D->FileName, QByteArray::fromStdString(D->Text()));
    } catch (...) {
        D->Ini.Reset();
        D->Load(before);
        throw;
    }
}

void TIniFile::WriteString(const char* section, const char* key, const std::string& value) {
    if (D->Updating) {
        Set(section, key, value);
        return;
    }
    // Keep what is held now so that a failed write leaves the object as it was, like the file.
    const std::string before = D->InMemory ? std::string() : D->Text();
    Set(section, key, value);
    Store(before);
}

void TIniFile::BeginUpdate() {
    if (D->Updating)
        throw std::logic_error("settings updates do not nest");
    D->Before = D->Text();
    D->Updating = true;
}

void TIniFile::EndUpdate() {
    D->Updating = false;
    Store(D->Before);
}

void TIniFile::CancelUpdate() {
    D->Updating = false;
    D->Ini.Reset();
    D->Load(D->Before);
}

void TIniFile::WriteInteger(const char* section, const char* key, int value) {
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const char* section, const char* key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

std::string TIniFile::ToBytes() const {
    return D->Text();
}

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
} // namespace

bool ParseIniInteger(const std::string& text, int& value) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    bool negative = false;
    if (begin < end && (text[begin] == '-' || text[begin] == '+')) {
        negative = text[begin] == '-';
        ++begin;
    }
    int base = 10;
    if (begin < end && text[begin] == '$') {
        base = 16;
        ++begin;
    } else if (end - begin >= 2 && text[begin] == '0' && (text[begin + 1] == 'x' || text[begin + 1] == 'X')) {
        base = 16;
        begin += 2;
    }
    if (begin == end)
        return false;
    // The magnitude may reach 2^31 only for a negative value.
    const int64_t limit = static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + (negative ? 1 : 0);
    int64_t magnitude = 0;
    for (size_t i = begin; i < end; ++i) {
        const int digit =
            base == 16 ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (digit < 0)
            return false;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return false;
    }
    value = static_cast<int>(negative ? -magnitude : magnitude);
    return true;
}
