#pragma once
// The settings file: an INI file read and written like the Windows profile functions do it. Section and
// key names are case-insensitive, values are written as key=value without blanks, and sections and keys
// that Nibwright does not know are kept when the file is written again.

#include <QString>

#include <memory>
#include <string>

class TIniFile {
public:
    // Reads the file when it exists; never raises (an unreadable file reads as empty).
    explicit TIniFile(const QString& path);
    ~TIniFile();
    TIniFile(TIniFile&&) noexcept;
    TIniFile& operator=(TIniFile&&) noexcept;
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    const QString& FileName() const;
    // The file existed when it was read.
    bool Exists() const;

    // The key's text, or def when the key is missing.
    std::string ReadString(const char* section, const char* key, const std::string& def) const;
    // The key's value as an integer (a "0x" or "$" prefix marks hexadecimal); def when the key is missing
    // or its value is not an integer that fits 32 bits ("12abc", "", "99999999999" all give def).
    int ReadInteger(const char* section, const char* key, int def) const;
    // Any non-zero integer is on; def when the value is missing or no integer.
    bool ReadBool(const char* section, const char* key, bool def) const;

    // Sets the key and writes the whole file at once through the atomic writer. Raises std::runtime_error
    // when the file cannot be written; the file then keeps its old bytes.
    void WriteString(const char* section, const char* key, const std::string& value);
    void WriteInteger(const char* section, const char* key, int value);
    // Written as "1" or "0".
    void WriteBool(const char* section, const char* key, bool value);

    // Runs `writes` (calls of the Write operations above) with the file written once, after the last of
    // them, instead of once per key. When a write or the file's writing raises, the object and the file
    // keep what they held before, and the error reaches the caller.
    template <class Writes> void Update(Writes&& writes) {
        BeginUpdate();
        try {
            writes(*this);
        } catch (...) {
            CancelUpdate();
            throw;
        }
        EndUpdate();
    }

    // Parses INI text held in memory (tests and fuzzing); FileName is empty and writes change only the text
    // held in memory.
    static TIniFile FromBytes(const std::string& bytes);

    // The INI text as it would be written now.
    std::string ToBytes() const;

private:
    TIniFile();
    void BeginUpdate();
    void EndUpdate();
    void CancelUpdate();
    // Checks and sets one key in memory.
    void Set(const char* section, const char* key, const std::string& value);
    // Writes the text held now; on failure the object goes back to `before` and the error is raised.
    void Store(const std::string& before);
    struct Impl;
    std::unique_ptr<Impl> D;
};

// Parses an integer the way the settings file reads one: optional blanks around it, an optional sign, then
// decimal digits, or hexadecimal digits after "0x", "0X" or "$". False when the text is anything else or the
// value does not fit a signed 32-bit integer.
bool ParseIniInteger(const std::string& text, int& value);
