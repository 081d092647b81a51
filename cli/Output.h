#pragma once
// What nibwright-cli prints: bytes as they are on standard output, and messages as lines in the system's
// code page on standard error.

#include <QByteArray>
#include <QString>

#include <cstdio>

inline void PrintOut(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

inline void PrintErrLine(const QString& text) {
    const QByteArray bytes = text.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}
