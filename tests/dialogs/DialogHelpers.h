#pragma once
// Small readers for the dialog tests: a control by its designer name (tests/support), its place, the focus
// chain.

#include "support/Widgets.h"

#include <QRect>
#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

// The designer names of the controls that Tab visits, from the first one on.
inline QStringList TabChain(QWidget* window) {
    QStringList names;
    for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled())
            names << w->objectName();
    return names;
}

struct Place {
    const char* Name;
    QRect Rect; // left, top, width, height in the parent's pixels
};
