#include "ui/zuk_application.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv); // the command line is not read
    zuk::ZukApplication zuk;
    zuk.Main();
    return app.exec();
}
