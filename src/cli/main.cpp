#include "cli/cli_app.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return zuk::runCli(QCoreApplication::arguments());
}
