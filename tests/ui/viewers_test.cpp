// SPDX-License-Identifier: GPL-3.0-or-later
// The log viewer, the help viewer and the About box, driven as real windows offscreen. Prints
// go to a PDF file through a dialog that answers at once; pdftotext reads them back.

#include "support/temp_files.h"
#include "ui/main_window_fixture.h"
#include "ui/multi_line_box.h"
#include "ui/qt_yield_hook.h"
#include "ui/real_boxes.h"
#include "ui/secondary_windows.h"
#include "ui/zuk_application.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace zuk::test {
namespace {

class PdfPrintDialog : public PrintDialog {
public:
    bool choose(QPrinter& printer, bool offerSelection, QWidget*) override {
        offered.append(offerSelection);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(output);
        return accept;
    }
    QString output;
    bool accept = true;
    QList<bool> offered;
};

QString pdfText(const QString& path) {
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    EXPECT_TRUE(pdftotext.waitForFinished()) << "pdftotext (poppler-utils) is needed";
    return QString::fromUtf8(pdftotext.readAllStandardOutput()).simplified();
}

class ViewersTest : public MainWindowTest {
protected:
    ViewersTest() {
        QDir().mkpath(exeFolder);
        QDir().mkpath(QFileInfo(logPath).path());
        print.output = temp.filePath(QStringLiteral("out.pdf"));
        windows.setPrintDialog(&print);
        windows.setUrlOpener([this](const QUrl& url) {
            opened.append(url);
            return true;
        });
    }
    // The menu bar's commands: each a command itself, its caption not clipped.
    QStringList commands(QMainWindow* viewer) {
        QStringList names;
        QMenuBar* bar = viewer->menuBar();
        for (QAction* action : bar->actions()) {
            EXPECT_EQ(action->menu(), nullptr) << "a command, not a drop-down";
            const QRect room = bar->actionGeometry(action);
            EXPECT_TRUE(bar->rect().contains(room));
            EXPECT_GE(room.width(), bar->fontMetrics().horizontalAdvance(action->text()));
            names << action->text();
        }
        return names;
    }

    QTemporaryDir temp;
    QString logPath = temp.filePath(QStringLiteral("zuk/log.txt"));
    QString exeFolder = temp.filePath(QStringLiteral("bin"));
    PdfPrintDialog print;
    QList<QUrl> opened;
    SecondaryWindows windows{window, &prompter, logPath, exeFolder};
};

TEST_F(ViewersTest, ViewLogReadsTheLogAfreshAtEveryOpeningAndClearDeletesIt) {
    cmd("cmdViewLog")->click(); // before any logged run
    EXPECT_EQ(prompter.texts(), QStringList{"No log file exists"});
    QPointer<frmLog> first = windows.logViewer();
    ASSERT_TRUE(first && first->isVisible());
    EXPECT_EQ(first->windowTitle(), QStringLiteral("Log"));
    EXPECT_TRUE(first->txtLog()->toPlainText().isEmpty());
    EXPECT_TRUE(first->txtLog()->isReadOnly());
    EXPECT_EQ(commands(first), (QStringList{"Exit", "Clear", "Print"}));

    writeBytes(logPath, "==> START\r\n");
    named<QAction>(window, "mnuViewLog")->trigger(); // while the viewer is open
    EXPECT_FALSE(first);
    EXPECT_EQ(windows.logViewer()->txtLog()->toPlainText(), QStringLiteral("==> START\n"));
    writeBytes(logPath, "==> START\r\n==> END\r\n");
    window.adapter().openLogViewer(); // how a search-only run with logging opens it
    EXPECT_EQ(windows.logViewer()->txtLog()->toPlainText(), QStringLiteral("==> START\n==> END\n"));

    windows.logViewer()->mnuClear()->trigger();
    EXPECT_TRUE(windows.logViewer()->txtLog()->toPlainText().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(logPath));
    EXPECT_EQ(prompter.shown.size(), 1);
    cmd("cmdViewLog")->click();
    EXPECT_EQ(prompter.texts(), (QStringList{"No log file exists", "No log file exists"}));
}

TEST_F(ViewersTest, PrintsTheSelectionOrTheWholeTextAndCancelOrFailureSaysNothing) {
    struct Case {
        const char* name;
        bool help;           // the help viewer, else the log viewer
        int from, to;        // the selection; equal: none
        bool accept;         // OK in the dialog
        bool badOutput;      // the printer can't write
        const char* printed; // with the page number; null: nothing printed
    };
    const Case cases[] = {
        {"selection", false, 11, 23, true, false, "second line 1"},
        {"all", true, 0, 0, true, false, "first line second line third line 1"},
        {"cancel", false, 11, 23, false, false, nullptr},
        {"failure", true, 0, 0, true, true, nullptr},
    };
    writeBytes(logPath, "first line\r\nsecond line\r\nthird line\r\n");
    writeBytes(exeFolder + QStringLiteral("/help.txt"), "first line\nsecond line\nthird line\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(print.output);
        print.offered.clear();
        print.accept = c.accept;
        if (c.badOutput)
            print.output = temp.filePath(QStringLiteral("missing/out.pdf"));
        TextViewer* viewer = nullptr;
        if (c.help) {
            windows.cmdHelp_Click();
            viewer = windows.helpViewer();
        } else {
            windows.cmdViewLog_Click();
            viewer = windows.logViewer();
        }
        // From 11 to 23: "second line" and its line break.
        QTextCursor cursor = viewer->textBox()->textCursor();
        cursor.setPosition(c.from);
        cursor.setPosition(c.to, QTextCursor::KeepAnchor);
        viewer->textBox()->setTextCursor(cursor);
        viewer->mnuPrint()->trigger();

        EXPECT_EQ(print.offered, QList<bool>{c.from != c.to});
        EXPECT_EQ(QFileInfo::exists(print.output), c.printed != nullptr);
        if (c.printed) {
            EXPECT_EQ(pdfText(print.output).toStdString(), c.printed);
        }
        EXPECT_TRUE(prompter.shown.isEmpty());
    }
}

TEST_F(ViewersTest, ThePrinterDialogOffersTheSelectionOnlyWhenThereIsOneAndNoPageRange) {
    windows.setPrintDialog(nullptr); // the real dialog
    writeBytes(logPath, "first line\r\nsecond line\r\n");
    for (bool selected : {true, false}) {
        windows.cmdViewLog_Click();
        if (selected)
            windows.logViewer()->txtLog()->selectAll();
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            seen = true;
            EXPECT_EQ(dialog->testOption(QAbstractPrintDialog::PrintSelection), selected);
            EXPECT_FALSE(dialog->testOption(QAbstractPrintDialog::PrintPageRange));
            EXPECT_EQ(dialog->printer()->printRange(),
                      selected ? QPrinter::Selection : QPrinter::AllPages);
            dialog->reject(); // Cancel
        });
        windows.logViewer()->mnuPrint_Click();
        EXPECT_TRUE(seen);
    }
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(ViewersTest, HelpOpensAboveTheMainWindowWithItsTitleBarOnTheScreen) {
    const QRect screen = window.screen()->availableGeometry();
    const int above = window.scale().py(100);
    struct Case {
        QPoint main, help;
    };
    const Case cases[] = {
        {screen.topLeft() + QPoint(120, 200), screen.topLeft() + QPoint(120, 200 - above)},
        {screen.topLeft() + QPoint(40, 0), screen.topLeft() + QPoint(40, 0)}, // kept on screen
    };
    for (const Case& c : cases) {
        window.move(c.main);
        window.show();
        cmd("cmdHelp")->click();
        ASSERT_TRUE(windows.helpViewer());
        EXPECT_EQ(windows.helpViewer()->pos(), c.help);
        EXPECT_EQ(windows.helpViewer()->windowTitle(), QStringLiteral("ZUK Help"));
        EXPECT_EQ(commands(windows.helpViewer()), (QStringList{"Exit", "Print"}));
        windows.helpViewer()->mnuExit()->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(windows.helpViewer());
    }
    EXPECT_EQ(prompter.texts(), (QStringList{"Help file missing", "Help file missing"}));
}

TEST_F(ViewersTest, HelpPressedAgainBringsTheOpenViewerForwardWithoutReadingTheFile) {
    const QString help = exeFolder + QStringLiteral("/help.txt");
    writeBytes(help, "Version one\n");
    cmd("cmdHelp")->click();
    frmHelp* viewer = windows.helpViewer();
    ASSERT_TRUE(viewer);
    writeBytes(help, "Version two\n");
    viewer->hide();
    named<QAction>(window, "mnuHelp")->trigger();
    EXPECT_EQ(windows.helpViewer(), viewer);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->txtHelp()->toPlainText(), QStringLiteral("Version one\n"));
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(ViewersTest, TheLogOpensAtItsNewestRun) {
    QByteArray earlier; // far more than a view holds
    for (int run = 0; run < 300; ++run)
        earlier += "==> ROLL BACK\r\n====> 3/7/24 3:04:05 PM\r\n \r\nRB  ~  /site/a.htm\r\n"
                   "==> END\r\n";
    const int header = 300 * 5;        // the newest run's first line
    for (const int files : {3, 400}) { // shorter than the view, then longer
        // Its search text holds a line like a header.
        QByteArray newest = "==> START\r\n====> 3/7/24 3:05:00 PM\r\n====> Search Criteria - a\r\n"
                            "==> START\r\n====> Replace Criteria - b\r\n \r\n";
        for (int file = 0; file < files; ++file)
            newest += "      1 ~ /site/" + QByteArray::number(file) + ".htm\r\n";
        writeBytes(logPath, earlier + newest);
        cmd("cmdViewLog")->click();
        QPlainTextEdit* box = windows.logViewer()->txtLog();
        EXPECT_EQ(box->textCursor().blockNumber(), header);
        const int top = box->cursorForPosition(QPoint(0, 0)).blockNumber();
        if (files == 3) { // the header in view, and the end of the log below it
            EXPECT_LE(top, header);
            const QPoint bottomLeft(0, box->viewport()->height() - 1);
            const int lastLine = box->document()->blockCount() - 2; // before the final break's
            EXPECT_GE(box->cursorForPosition(bottomLeft).blockNumber(), lastLine);
        } else {
            EXPECT_EQ(top, header);
        }
    }
}

TEST_F(ViewersTest, EscClosesTheLogAndTheHelpViewer) {
    cmd("cmdViewLog")->click();
    cmd("cmdHelp")->click();
    for (QPointer<TextViewer> viewer :
         {QPointer<TextViewer>(windows.logViewer()), QPointer<TextViewer>(windows.helpViewer())}) {
        ASSERT_TRUE(viewer);
        QTest::keyClick(viewer->textBox(), Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(viewer);
    }
}

// A viewer's own command asks over the viewer, and the viewer is in front again afterwards;
// what the opening says (the viewer not yet on the screen) stands over the main window.
TEST_F(ViewersTest, AViewersMessagesBelongToItAndLeaveItInFront) {
    RealBoxes boxes;
    SecondaryWindows own{window, nullptr, logPath, exeFolder};
    QDir().mkpath(logPath); // a log that can be neither read nor deleted
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    own.cmdViewLog_Click();
    QPointer<frmLog> viewer = own.logViewer();
    ASSERT_TRUE(viewer);
    ASSERT_TRUE(QTest::qWaitForWindowActive(viewer));
    viewer->mnuClear()->trigger();
    QCoreApplication::processEvents();

    ASSERT_EQ(boxes.seen.size(), 2) << boxes.texts().join(u'|').toStdString();
    EXPECT_EQ(boxes.seen[0].owner, &window);
    EXPECT_EQ(boxes.seen[1].owner, viewer.data());
    EXPECT_TRUE(boxes.seen[1].text.startsWith(QStringLiteral("ERROR: ")));
    EXPECT_EQ(QApplication::activeWindow(), viewer.data());
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(ViewersTest, AboutBoxShowsItsLinesOnceAndItsLinkLeavesItOpen) {
    named<QAction>(window, "mnuAbout")->trigger();
    QPointer<frmAbout> about = windows.aboutBox();
    ASSERT_TRUE(about);
    named<QAction>(window, "mnuAbout")->trigger();
    EXPECT_EQ(windows.aboutBox(), about.data());
    EXPECT_EQ(about->windowTitle(), QStringLiteral("About ZUK"));

    const QStringList expected = {"Zukanor", frmAbout::releaseLine(), "By",
                                  "The Zukanor developers"};
    QStringList lines;
    int previousTop = -1;
    for (const char* name :
         {"Label4", "Label3", "Label2", "Label1", "Label5", "Label6", "lblLicence"}) {
        QLabel* label = named<QLabel>(*about, name);
        EXPECT_GT(label->y(), previousTop) << name;
        previousTop = label->y();
        lines << label->text();
        // No line is clipped, and each lies inside the box.
        EXPECT_GE(label->width(), label->sizeHint().width()) << name;
        EXPECT_GE(label->x(), 0) << name;
        EXPECT_LE(label->geometry().right(), about->width()) << name;
    }
    EXPECT_EQ(lines.mid(0, 4), expected);
    EXPECT_EQ(lines.last(), QStringLiteral("Licence: GPL-3.0-or-later"));
    EXPECT_TRUE(frmAbout::releaseLine().contains(QStringLiteral(ZUK_VERSION)));
    EXPECT_GT(about->cmdOK()->y(), previousTop);
    EXPECT_GE(about->cmdOK()->width(), about->cmdOK()->sizeHint().width());
    EXPECT_LE(about->cmdOK()->geometry().bottom(), about->height());
    const QFont name = named<QLabel>(*about, "Label4")->font();
    EXPECT_TRUE(name.bold() &&
                name.pointSizeF() > named<QLabel>(*about, "Label3")->font().pointSizeF());
    QLabel* link = named<QLabel>(*about, "Label5");
    EXPECT_TRUE(link->font().underline());
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));

    const QRect screen = about->screen()->geometry();
    EXPECT_EQ(about->pos(),
              screen.topLeft() + QPoint(screen.width() / 2 - about->scale().px(200),
                                        screen.height() / 2 - about->scale().py(200)));

    QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_EQ(opened, QList<QUrl>{frmAbout::makerUrl()});
    EXPECT_TRUE(about->isVisible());
    about->cmdOK()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(about);
}

// The shipped help text names every check box, option, frame and button of the main window
// as it is captioned, so it can't silently fall behind the window.
TEST(HelpText, NamesEveryCaptionOfTheMainWindowAndTheCommandLineHelp) {
    QFile file(QStringLiteral(ZUK_HELP_TEXT));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const QString text = QString::fromUtf8(bytes);
    EXPECT_EQ(text.toUtf8(), bytes) << "UTF-8";
    for (const ControlRow& row : mainControls()) {
        if (row.kind == ControlKind::Check || row.kind == ControlKind::Option ||
            row.kind == ControlKind::Frame || row.kind == ControlKind::Button) {
            EXPECT_TRUE(text.contains(QString::fromUtf8(row.caption))) << row.caption;
        }
    }
    EXPECT_TRUE(text.contains(QStringLiteral("zuk-cli --help")));
}

class ViewersFromTheApplicationTest : public ::testing::Test {
protected:
    // Records, for each message, whether the log viewer was open at that moment.
    class OrderPrompter : public ScriptedPrompter {
    public:
        MessageResult show(const Message& message) override {
            logOpen.append(app && app->secondaryWindows().logViewer());
            return ScriptedPrompter::show(message);
        }
        ZukApplication* app = nullptr;
        QList<bool> logOpen;
    };

    ViewersFromTheApplicationTest() {
        QDir().mkpath(temp.filePath(QStringLiteral("AppData")));
        app.Main();
        EXPECT_TRUE(prompter.shown.isEmpty());
        prompter.app = &app;
    }

    QTemporaryDir temp;
    OrderPrompter prompter;
    QtYieldHook yield{0};
    QList<bool> terminations;
    ZukApplication app{AppEnvironment{temp.filePath(QStringLiteral("AppData")),
                                      temp.filePath(QStringLiteral("bin/zuk"))},
                       [this](bool underWay) { terminations.append(underWay); }, &prompter, &yield};
};

TEST_F(ViewersFromTheApplicationTest, SearchOnlyRunWithLoggingOpensTheLogViewerAfterZukDone) {
    frmMain& main = app.window();
    const QString subject = temp.filePath(QStringLiteral("a.txt"));
    writeBytes(subject, "banana");
    named<QRadioButton>(main, "optFile")->setChecked(true);
    named<QLineEdit>(main, "txtPath")->setText(subject);
    named<MultiLineBox>(main, "txtSearch")->setText(QStringLiteral("an"));
    named<CheckBox>(main, "chkSearchOnly")->setValue(Checked);
    named<CheckBox>(main, "chkLog")->setValue(Checked);
    named<CheckBox>(main, "chkAllType")->setValue(Checked);
    named<QPushButton>(main, "cmdStart")->click();

    EXPECT_EQ(prompter.texts(), QStringList{"ZUK Done"});
    EXPECT_EQ(prompter.logOpen, QList<bool>{false});
    ASSERT_TRUE(app.secondaryWindows().logViewer());
    EXPECT_TRUE(app.secondaryWindows().logViewer()->txtLog()->toPlainText().contains(
        QStringLiteral("====> Items Found    = 2")));
}

TEST_F(ViewersFromTheApplicationTest, ExitClosesAboutThenLogThenHelp) {
    named<QPushButton>(app.window(), "cmdHelp")->click();
    named<QPushButton>(app.window(), "cmdViewLog")->click();
    named<QAction>(app.window(), "mnuAbout")->trigger();
    SecondaryWindows& windows = app.secondaryWindows();
    QStringList closed; // closing deletes a window
    for (QWidget* opened :
         {static_cast<QWidget*>(windows.helpViewer()), static_cast<QWidget*>(windows.logViewer()),
          static_cast<QWidget*>(windows.aboutBox())})
        QObject::connect(opened, &QObject::destroyed,
                         [&closed, name = opened->objectName()] { closed << name; });

    app.window().close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(terminations, QList<bool>{false});
    EXPECT_EQ(closed, (QStringList{"frmAbout", "frmLog", "frmHelp"}));
}

} // namespace
} // namespace zuk::test
