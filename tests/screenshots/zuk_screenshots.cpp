// Saves pictures of the main window in its typical states, for the documentation:
//   zuk-screenshots <folder>   (or the folder in ZUK_SCREENSHOT_DIR)

#include "engine/run_state.h"
#include "engine/text_buffer.h"
#include "ui/frm_main.h"
#include "ui/multi_line_box.h"
#include "ui/qt_prompter.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include <cstdio>

namespace {

bool save(QWidget& window, const QString& folder, const QString& name) {
    QTest::qWait(100);
    const QString path = QDir(folder).filePath(name);
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QString folder = qEnvironmentVariable("ZUK_SCREENSHOT_DIR");
    if (argc > 1)
        folder = QString::fromLocal8Bit(argv[1]);
    if (folder.isEmpty()) {
        std::fprintf(stderr, "usage: zuk-screenshots <folder>\n");
        return 2;
    }
    QDir().mkpath(folder);

    zuk::RunState state;
    zuk::QtPrompter prompter;
    zuk::frmMain window(state, prompter);
    window.show();
    window.textBox(QStringLiteral("txtSearch"))->setText(QStringLiteral("Copyright 2003"));
    window.textBox(QStringLiteral("txtReplace"))->setText(QStringLiteral("Copyright 2004"));
    window.lineBox(QStringLiteral("txtPath"))
        ->setText(QDir::toNativeSeparators(QDir::homePath() + QStringLiteral("/site/")));
    bool ok = save(window, folder, QStringLiteral("narrow.png"));

    window.optionButton(QStringLiteral("optText"))->setChecked(true);
    window.workingBuffer().setText(
        QStringLiteral("<html>\n<head><title>Our shop</title></head>\n<body>\n"
                       "<p>Welcome to our shop.</p>\n<p>Copyright 2003 Our Shop</p>\n"
                       "</body>\n</html>\n"));
    window.workingBufferChanged();
    ok = save(window, folder, QStringLiteral("wide-text.png")) && ok;

    window.optionButton(QStringLiteral("optAll"))->setChecked(true);
    window.enterRunState();
    window.showCounters({128, 17, 23});
    const QString current =
        QDir::toNativeSeparators(QDir::homePath() + QStringLiteral("/site/news/2003.htm"));
    window.setCurrentPath(current);
    window.workingBuffer().setText(
        QStringLiteral("<html>\n<body>\n<h1>News of 2003</h1>\n<p>We opened our shop.</p>\n"
                       "<p>Copyright 2004 Our Shop</p>\n</body>\n</html>\n"));
    window.workingBufferChanged();
    ok = save(window, folder, QStringLiteral("running.png")) && ok;
    return ok ? 0 : 1;
}
