#pragma once
// Failing writes on purpose, through the atomic writer's fault seam.

#include "system/AtomicFile.h"

#include <QByteArray>
#include <QString>

// Every later write to `path` fails as on a full disk ("disk full"); other files are written. The test
// clears the seam with SetWriteFaultHook(nullptr).
inline void FailWritesTo(const QString& path) {
    SetWriteFaultHook([path](const QString& target, const QByteArray& bytes) -> qint64 {
        if (target == path)
            throw WriteError("disk full");
        return bytes.size();
    });
}
