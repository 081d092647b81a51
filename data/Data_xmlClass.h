#pragma once
// The newer, XML generation of the preference file. The bytes as read are kept; one pass over them checks
// that they form a document and finds the pen elements, which alone are parsed into trees for selecting
// and reading the pens. Saving writes the bytes with the new texts put in at the written elements'
// positions, so that everything outside the edited values stays byte-identical.

#include "data/Data_fileClass.h"

#include <QByteArray>

#include <memory>

class TXMLHandler : public TFileHandler {
public:
    explicit TXMLHandler(const QString& fileName);
    ~TXMLHandler() override;

    void Save() override;
    void SaveAs(const QString& path) override;
    void Reload() override;
    void LoadFrom(const QString& path) override;
    // Reads the own file again, then writes the pens' values into the matching elements. When that read
    // fails (the file vanished or no longer parses) the previous bytes are kept and std::runtime_error
    // raised.
    void StorePens(const APen& pens) override;

    // Save and SaveAs write the bytes as last read or stored; they raise WriteError when the last read found
    // no bytes at all (a missing or unreadable file), instead of leaving an empty file behind.

    // The bytes that Save and SaveAs write.
    const QByteArray& GetBytes() const;

private:
    bool Read(const QString& path);
    void Write(const QString& path, bool createFolders);

    struct Impl;
    std::unique_ptr<Impl> D;
};
