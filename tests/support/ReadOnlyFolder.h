#pragma once
// A folder that this process cannot write to, even as root.

#include <QString>

// Makes a folder unwritable for the life of the guard: mode 0555 and, when running as root (who ignores
// the mode), the immutable attribute. Effective() tells whether creating a file in it really fails.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& folder);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;
    bool Effective() const { return IsEffective; }

private:
    void SetImmutable(bool on);
    QString Folder;
    bool Immutable = false;
    bool IsEffective = false;
};
