#include "support/UserGuide.h"

#include "support/TestEnv.h"

#include <QRegularExpression>

QString UserGuideSection(const QString& id) {
    const QString html = QString::fromUtf8(TestEnv::Read(SourceDir() + "/docs/guide.html"));
    const qsizetype at = html.indexOf(QStringLiteral("id=\"%1\"").arg(id));
    if (at < 0)
        return {};
    const qsizetype start = html.indexOf(u'>', at) + 1; // past the tag that holds the id
    const QRegularExpression nextSection(QStringLiteral("<h[1-3][ >]"));
    const QRegularExpressionMatch next = nextSection.match(html, start);
    QString text = html.mid(start, next.hasMatch() ? next.capturedStart() - start : -1);
    text.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"))
        .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
        .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
        .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text.simplified();
}
