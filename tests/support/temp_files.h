#pragma once

#include <QByteArray>
#include <QString>

namespace zuk::test {

// Small file helpers for tests working in a QTemporaryDir.
void writeBytes(const QString& path, const QByteArray& bytes);
QByteArray readBytes(const QString& path);

} // namespace zuk::test
