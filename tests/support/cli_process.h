// SPDX-License-Identifier: GPL-3.0-or-later
// zuk-cli run as a user runs it, for the tests of its whole process.
#pragma once

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

namespace zuk::test {

struct Ran {
    int status = -1;
    QByteArray out;
    QByteArray err;
    bool normalExit = false;
};

// Runs the built zuk-cli in `folder` with no terminal (without --yes every question is
// declined) and its AppData in `folder`'s "appdata", so no folder of the user's is touched.
Ran runZukCli(const QTemporaryDir& folder, const QStringList& arguments);

} // namespace zuk::test
