#pragma once
// What the tests need from the operating system where POSIX and Windows differ: who may ignore file
// permissions, a file nobody else can read, and this test program's own path.

#include <QFile>
#include <QString>

// True when file permissions do not stop this process (root on POSIX systems). Windows has no such user
// for share modes: a file held open without sharing stops the administrator too.
bool RunningAsSuperuser();

// This test program's executable, for tests that start it again as a child.
QString ThisProgram();

// An existing file held open for reading, as another program (the driver, an editor) may hold it, until the
// guard ends. Every program lets others read and write the file; only some let it be deleted or replaced
// (on Windows, the share mode FILE_SHARE_DELETE). POSIX systems always let a held file be replaced.
class HeldOpenFile {
public:
    enum Sharing { NoReplacing, Replacing };
    HeldOpenFile(const QString& path, Sharing sharing);
    ~HeldOpenFile();
    HeldOpenFile(const HeldOpenFile&) = delete;
    HeldOpenFile& operator=(const HeldOpenFile&) = delete;
    bool IsOpen() const;
    // The bytes the holder reads now, from the start of what it holds open.
    QByteArray ReadAll();

private:
    void* Handle = nullptr;
    QFile File;
};

// Makes an existing file unreadable for the life of the guard. POSIX: mode 0, which root ignores
// (Effective() is then false). Windows: the file is held open with no sharing, as another program may
// hold it, so every other open fails whoever asks.
class UnreadableFile {
public:
    explicit UnreadableFile(const QString& path);
    ~UnreadableFile();
    UnreadableFile(const UnreadableFile&) = delete;
    UnreadableFile& operator=(const UnreadableFile&) = delete;
    bool Effective() const { return IsEffective; }

private:
    QString Path;
    void* Handle = nullptr;
    bool IsEffective = false;
};
