// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <gtest/gtest.h>

namespace zuk::test {

// The control or menu item of `window` whose object name is `name`, for tests that speak of
// controls by their names; a test failure and null when there is none of type T.
template <class T> T* named(const QObject& window, const QString& name) {
    T* found = window.findChild<T*>(name);
    EXPECT_TRUE(found) << window.objectName().toStdString() << " has no "
                       << T::staticMetaObject.className() << " " << name.toStdString();
    return found;
}

template <class T> T* named(const QObject& window, const char* name) {
    return named<T>(window, QString::fromUtf8(name));
}

} // namespace zuk::test
