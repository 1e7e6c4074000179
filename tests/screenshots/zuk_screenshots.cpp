// SPDX-License-Identifier: GPL-3.0-or-later
// Saves pictures of the main window in its typical states, and of the log viewer (after real
// runs over a small sample site), the help viewer, the About box, the batch window and its
// test view, for the documentation:
//   zuk-screenshots <folder>   (or the folder in ZUK_SCREENSHOT_DIR)
//   zuk-screenshots --screen <file>   the whole screen with the window placed as at start-up,
//                                     frame and all when a window manager runs

#include "engine/files/text_buffer.h"
#include "engine/run/run_state.h"
#include "ui/check_box.h"
#include "ui/file_filters_dialog.h"
#include "ui/frm_batch.h"
#include "ui/frm_main.h"
#include "ui/multi_line_box.h"
#include "ui/qt_prompter.h"
#include "ui/zuk_application.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

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

// Answers every message box at once, Yes to the confirmation.
class AnsweringPrompter final : public zuk::Prompter {
public:
    zuk::MessageResult show(const zuk::Message& message) override {
        return message.buttons == zuk::MessageButtons::YesNo ? zuk::MessageResult::Yes
                                                             : zuk::MessageResult::Ok;
    }
};

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

void fillIn(zuk::frmMain& window) {
    window.controls().txtSearch->setText(QStringLiteral("Copyright 2003"));
    window.controls().txtReplace->setText(QStringLiteral("Copyright 2004"));
    window.controls().txtPath->setText(
        QDir::toNativeSeparators(QDir::homePath() + QStringLiteral("/site/")));
}

// The main window as a user sees it after a first start: narrow, with the Options menu's items
// on, wide in text mode, running.
bool saveMainWindow(zuk::ZukApplication& app, const QString& folder) {
    zuk::frmMain& window = app.window();
    fillIn(window);
    bool ok = save(window, folder, QStringLiteral("narrow.png"));

    // The Options menu's items on: the search box's caption names them.
    const auto toggleOptions = [&] {
        for (QAction* item : {window.controls().mnuRegex, window.controls().mnuWholeWords,
                              window.controls().mnuPreserveCase})
            item->trigger();
    };
    toggleOptions();
    window.controls().txtSearch->setText(QStringLiteral("copyright (20\\d\\d)"));
    window.controls().txtReplace->setText(QStringLiteral("copyright 2004"));
    ok = save(window, folder, QStringLiteral("options.png")) && ok;
    toggleOptions();
    fillIn(window);

    window.controls().optText->setChecked(true);
    window.setRightBoxText(
        QStringLiteral("<html>\n<head><title>Our shop</title></head>\n<body>\n"
                       "<p>Welcome to our shop.</p>\n<p>Copyright 2003 Our Shop</p>\n"
                       "</body>\n</html>\n"));
    ok = save(window, folder, QStringLiteral("wide-text.png")) && ok;

    window.controls().optAll->setChecked(true);
    app.state().runActive = true; // as the run sets it
    window.adapter().enterRunState();
    window.adapter().showCounters({128, 17, 23});
    window.adapter().setCurrentPath(
        QDir::toNativeSeparators(QDir::homePath() + QStringLiteral("/site/news/2003.htm")));
    window.showWorkingText(zuk::WorkingText(
        QStringLiteral("<html>\n<body>\n<h1>News of 2003</h1>\n<p>We opened our shop.</p>\n"
                       "<p>Copyright 2004 Our Shop</p>\n</body>\n</html>\n")));
    ok = save(window, folder, QStringLiteral("running.png")) && ok;
    app.state().runActive = false;
    window.adapter().leaveRunState();
    return ok;
}

// The Preview window over the sample site: finds in several files, one file's change shown.
bool savePreview(zuk::ZukApplication& app, const QString& site, const QString& folder) {
    writeFile(site + QStringLiteral("/contact.htm"),
              "<html>\n<body>\n<h1>Contact</h1>\n<p>Write to Our Shop, 1 Main Street.</p>\n"
              "<p>Open daily.</p>\n<p>Copyright 2004 Our Shop</p>\n</body>\n</html>\n");
    zuk::frmMain& window = app.window();
    window.controls().chkSearchOnly->setValue(zuk::Unchecked);
    window.controls().chkLog->setValue(zuk::Unchecked);
    window.controls().txtSearch->setText(QStringLiteral("Our Shop"));
    window.controls().txtReplace->setText(QStringLiteral("Our New Shop"));
    window.controls().mnuPreview->trigger();
    zuk::frmPreview* preview = app.previewWindow();
    if (!preview)
        return false;
    auto* tree = preview->findChild<QTreeView*>(QStringLiteral("trePreview"));
    tree->expandAll();
    QAbstractItemModel* model = tree->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex file = model->index(row, 0);
        if (model->data(file).toString().endsWith(QStringLiteral("contact.htm")))
            tree->setCurrentIndex(model->index(1, 1, file));
    }
    preview->showChange();
    return save(*preview, folder, QStringLiteral("preview.png"));
}

// The main window's pictures, then a replacing run and a search-only run with logging over a
// sample site; the second opens the log viewer. Then the help viewer, the About box, the batch
// window and its test view, the File Filters dialog.
bool saveAll(const QString& folder) {
    QTemporaryDir temp(QDir::tempPath() + QStringLiteral("/zuk-demo-XXXXXX"));
    const QString site = temp.filePath(QStringLiteral("site"));
    const QByteArray page = "<html>\n<body>\n<p>Copyright 2003 Our Shop</p>\n</body>\n</html>\n";
    for (const char* name : {"index.htm", "about.htm", "news/2003.htm", "news/2004.htm"})
        writeFile(site + QLatin1Char('/') + QString::fromUtf8(name), page);
    writeFile(site + QStringLiteral("/style.css"), "p { margin: 0 }\n");
    QDir().mkpath(temp.filePath(QStringLiteral("AppData")));

    AnsweringPrompter prompter;
    // The help text lies beside the real executable in the build folder.
    zuk::ZukApplication app(
        zuk::AppEnvironment{temp.filePath(QStringLiteral("AppData")),
                            QFileInfo(QStringLiteral(ZUK_HELP_TEXT)).path() +
                                QStringLiteral("/zuk")},
        [](bool) {}, &prompter);
    app.Main();
    zuk::frmMain& window = app.window();
    bool ok = saveMainWindow(app, folder);
    window.controls().optAll->setChecked(true);
    window.controls().txtPath->setText(site + QLatin1Char('/'));
    window.controls().chkSub->setValue(zuk::Checked);
    window.controls().chkLog->setValue(zuk::Checked);
    window.controls().txtSearch->setText(QStringLiteral("Copyright 2003"));
    window.controls().txtReplace->setText(QStringLiteral("Copyright 2004"));
    window.controls().cmdStart->click();
    window.controls().txtSearch->setText(QStringLiteral("Our Shop"));
    window.controls().chkSearchOnly->setValue(zuk::Checked);
    window.controls().cmdStart->click();
    QWidget* log = app.secondaryWindows().logViewer();
    ok = log && save(*log, folder, QStringLiteral("log.png")) && ok;

    window.controls().cmdHelp->click();
    QWidget* help = app.secondaryWindows().helpViewer();
    ok = help && save(*help, folder, QStringLiteral("help.png")) && ok;

    window.controls().mnuAbout->trigger();
    QWidget* about = app.secondaryWindows().aboutBox();
    ok = about && save(*about, folder, QStringLiteral("about.png")) && ok;

    ok = savePreview(app, site, folder) && ok;

    // The batch window with a file of two entries, and the test view listing them.
    const QString entries = temp.filePath(QStringLiteral("entries.txt"));
    writeFile(entries, "Copyright 2004|Copyright 2005\r\nOur Shop|Our New Shop\r\n");
    window.controls().mnuBatch->trigger();
    zuk::frmBatch* batch = app.batchWindows().batchWindow();
    if (!batch)
        return false;
    batch->tBatchPath()->setText(entries);
    ok = save(*batch, folder, QStringLiteral("batch.png")) && ok;
    batch->cTest_Click();
    QWidget* test = app.batchWindows().testView();
    ok = test && save(*test, folder, QStringLiteral("batch-test.png")) && ok;

    // The File Filters dialog, and the main window's note once they are set.
    window.mnuFileFilters_Click();
    auto* filters = window.findChild<zuk::FileFiltersDialog*>();
    if (!filters)
        return false;
    filters->findChild<QPlainTextEdit*>(QStringLiteral("txtInclude"))
        ->setPlainText(QStringLiteral("*.css\nsrc/**/*.js"));
    filters->findChild<QPlainTextEdit*>(QStringLiteral("txtExclude"))
        ->setPlainText(QStringLiteral("node_modules/\n/build\n!build/keep.htm"));
    filters->findChild<QCheckBox*>(QStringLiteral("chkGitIgnore"))->setChecked(true);
    ok = save(*filters, folder, QStringLiteral("file-filters.png")) && ok;
    filters->accept();
    window.controls().optAll->setChecked(true);
    return save(window, folder, QStringLiteral("filtered.png")) && ok;
}

int screenShot(const QString& path) {
    QTemporaryDir appData(QDir::tempPath() + QStringLiteral("/zuk-demo-XXXXXX"));
    zuk::ZukApplication app(
        zuk::AppEnvironment{appData.path(), QFileInfo(QStringLiteral(ZUK_HELP_TEXT)).path() +
                                                QStringLiteral("/zuk")},
        [](bool) {});
    app.Main(); // placed and shown as at a first start
    zuk::frmMain& window = app.window();
    QScreen* screen = QGuiApplication::primaryScreen();
    fillIn(window);
    QTest::qWait(1000); // the window manager frames the window
    if (!screen->grabWindow(0).save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    std::printf("%s: window %dx%d, frame %dx%d at %d,%d\n", qPrintable(path), window.width(),
                window.height(), window.frameGeometry().width(), window.frameGeometry().height(),
                window.frameGeometry().x(), window.frameGeometry().y());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc > 2 && QByteArray(argv[1]) == "--screen")
        return screenShot(QString::fromLocal8Bit(argv[2]));
    QString folder = qEnvironmentVariable("ZUK_SCREENSHOT_DIR");
    if (argc > 1)
        folder = QString::fromLocal8Bit(argv[1]);
    if (folder.isEmpty()) {
        std::fprintf(stderr, "usage: zuk-screenshots <folder>\n");
        return 2;
    }
    QDir().mkpath(folder);
    const bool ok = saveAll(folder);
    return ok ? 0 : 1;
}
