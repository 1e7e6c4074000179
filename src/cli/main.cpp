// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_app.h"
#include "cli/interrupt_yield.h"
#include "engine/files/path_bytes.h"

#include <QCoreApplication>
#include <QStringList>

int main(int argc, char** argv) {
    // Before anything else, so that Ctrl+C is always the Cancel and never kills half-way.
    zuk::InterruptYield::installHandler();
    QCoreApplication app(argc, argv);
    // Each argument as the bytes it is: a path that isn't UTF-8 must still name its file.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(zuk::decodePath(QByteArray(argv[i])));
    return zuk::runCli(arguments);
}
