#include "data/FileText.h"

#include <QStringDecoder>

QString FileText(const std::string& bytes) {
    const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(view);
    if (!utf8.hasError())
        return text;
#ifdef _WIN32
    // The driver writes its text files in the system's ANSI code page.
    return QString::fromLocal8Bit(view);
#else
    return QString::fromLatin1(view);
#endif
}
