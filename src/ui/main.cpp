#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel placeholder(QStringLiteral("Zukanor: the main window is on its way."));
    placeholder.setWindowTitle(QStringLiteral("Zukanor"));
    placeholder.show();
    return app.exec();
}
