// Replaces the windows platform plugin's WinTab support when Qt is cross-built from a source tree without
// the WinTab header. No WinTab context is ever opened: create() answers nullptr, so pens reach Qt as
// QTabletEvents through the Windows Ink pointer messages, which is Qt's default on Windows anyway.
#ifndef QWINDOWSTABLETSUPPORT_H
#define QWINDOWSTABLETSUPPORT_H

#include <QtCore/qstring.h>
#include <QtGui/qtguiglobal.h>

QT_REQUIRE_CONFIG(tabletevent);

QT_BEGIN_NAMESPACE

class QWindowsTabletSupport
{
public:
    ~QWindowsTabletSupport() = default;

    static QWindowsTabletSupport *create() { return nullptr; }

    void notifyActivate() {}
    QString description() const { return QString(); }

    static int absoluteRange() { return m_absoluteRange; }
    static void setAbsoluteRange(int a) { m_absoluteRange = a; }

private:
    QWindowsTabletSupport() = default;
    static int m_absoluteRange;
};

QT_END_NAMESPACE

#endif // QWINDOWSTABLETSUPPORT_H
