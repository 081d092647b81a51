#pragma once
// Every file Nibwright writes goes through here: the target holds either its old bytes or all of the new
// bytes, never a mix. The bytes go to a temporary file in the target's folder, which is renamed over the
// target only when it was written completely.

#include <QByteArray>
#include <QString>

#include <functional>
#include <stdexcept>

class WriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes `bytes` to `path` atomically. Raises WriteError (the target untouched) when any step fails.
void WriteFileAtomic(const QString& path, const QByteArray& bytes);

// Creates `folder` with all missing parents; true when it exists as a folder afterwards.
bool CreateFolders(const QString& folder);

// Test seam: called with the target path and the bytes before they are written; it may throw WriteError
// to simulate a failing disk, or return a shorter byte count to simulate a disk that fills up in the middle
// of the write. Unset in production.
using WriteFaultHook = std::function<qint64(const QString& path, const QByteArray& bytes)>;
void SetWriteFaultHook(WriteFaultHook hook);
