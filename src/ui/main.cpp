// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/help_file.h"
#include "ui/zuk_application.h"

#include <QApplication>
#include <QPlainTextEdit>

#include <cstdio>

namespace {

// Test only (the installed-tree test sets ZUK_TEST_INSTALL_PROBE): after a normal start,
// opens Help and prints where the help text was found, its first line as the viewer shows
// it, and whether the window icon came from the installed theme; then ends.
int probeInstall(zuk::ZukApplication& zuk) {
    const QString helpPath = zuk::findHelpFile(zuk.paths().executableFolder);
    std::printf("help: %s\n", qPrintable(helpPath));
    if (helpPath.isEmpty())
        return 1; // opening Help would wait on its message box
    zuk.secondaryWindows().cmdHelp_Click();
    const QString shown = zuk.secondaryWindows().helpViewer()->txtHelp()->toPlainText();
    std::printf("shown: %s\n", qPrintable(shown.section(u'\n', 0, 0)));
    std::printf("icon: %s\n", QIcon::hasThemeIcon(QStringLiteral(ZUK_APP_ID)) ? "theme" : "drawn");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv); // the command line is not read
    QGuiApplication::setDesktopFileName(QStringLiteral(ZUK_APP_ID));
    zuk::ZukApplication zuk;
    zuk.Main();
    if (qEnvironmentVariableIsSet("ZUK_TEST_INSTALL_PROBE"))
        return probeInstall(zuk);
    return app.exec();
}
