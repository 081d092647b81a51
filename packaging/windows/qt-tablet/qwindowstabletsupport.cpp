// See qwindowstabletsupport.h: the WinTab support left out of this Qt build.
#include "qwindowstabletsupport.h"

QT_BEGIN_NAMESPACE

int QWindowsTabletSupport::m_absoluteRange = 20;

QT_END_NAMESPACE
