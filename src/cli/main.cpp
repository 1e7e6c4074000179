#include "cli/cli_app.h"
#include "cli/interrupt_yield.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    // Before anything else, so that Ctrl+C is always the Cancel and never kills half-way.
    zuk::InterruptYield::installHandler();
    QCoreApplication app(argc, argv);
    return zuk::runCli(QCoreApplication::arguments());
}
