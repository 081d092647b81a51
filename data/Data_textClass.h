#pragma once
// The older, text generation of the preference file: lines with one value each behind a keyword.

#include "data/Data_fileClass.h"

#include <string>
#include <vector>

class TTextHandler : public TFileHandler {
public:
    // Reads the file at once. A file that exists but cannot be loaded raises std::runtime_error.
    explicit TTextHandler(const QString& fileName);

    void Save() override;
    void SaveAs(const QString& path) override;
    void Reload() override;
    void LoadFrom(const QString& path) override;
    void StorePens(const APen& pens) override;

    const std::vector<std::string>& GetLines() const { return Lines; }

private:
    bool ReadFile(const QString& path);
    QByteArray Serialize() const;

    std::vector<std::string> Lines;
};
