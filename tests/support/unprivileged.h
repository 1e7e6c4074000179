// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

namespace zuk::test {

// Runs `work` in a forked child that has dropped to the unprivileged user nobody (when the
// tests run as root, where permissions stop nothing) and returns the text it gave back, so
// that permission failures are real failures of the platform. The paths it uses must be
// reachable by that user (QTemporaryDir makes its folder 0700: open it first). Throws when the
// child can't drop its privileges or dies.
QString runUnprivileged(const std::function<QString()>& work);

} // namespace zuk::test
