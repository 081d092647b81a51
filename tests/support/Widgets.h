#pragma once
// Finding a window's controls by their designer names.

#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

// The child named `name`; fails the test when there is none.
template <class T = QWidget> T* Child(const QWidget* parent, const char* name) {
    T* w = parent->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << "no control " << name;
    return w;
}
