// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/run/edit.h"

#include <QStringList>

namespace zuk::test {

// The text an edit leaves: its new text, or `before` when it changed nothing.
QString textAfter(const Edit& edit, const QString& before);
// The texts of the messages an edit carries.
QStringList messageTexts(const Edit& edit);

} // namespace zuk::test
