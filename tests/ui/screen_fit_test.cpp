// SPDX-License-Identifier: GPL-3.0-or-later
// Every window on the screen it opens on: exactly as designed where the design fits, otherwise
// on the screen's free area with its content scrolling and every control within reach. Besides
// the laptop screen of every test, ctest runs these on an 800 x 500 screen and on a full HD
// screen at scale 2 (960 x 540 logical pixels).

#include "support/named_child.h"
#include "support/scripted_prompter.h"
#include "support/temp_files.h"
#include "ui/frm_about.h"
#include "ui/frm_batch.h"
#include "ui/frm_test_batch.h"
#include "ui/window_placement.h"
#include "ui/zuk_application.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace zuk::test {
namespace {

TEST(FittedSize, IsTheDesignWhereItFitsOtherwiseTheRoomWithSpaceForAScrollBar) {
    const struct {
        QSize designed, room, fitted;
    } cases[] = {
        {{577, 634}, {1358, 708}, {577, 634}}, // fits
        {{577, 634}, {792, 472}, {591, 472}},  // too tall: wider by the bar down its side
        {{1083, 400}, {792, 472}, {792, 414}}, // too wide: taller by the bar across
        {{1083, 634}, {792, 472}, {792, 472}}, // both
        {{785, 634}, {792, 472}, {792, 472}},  // too tall, and no room for all of the bar
    };
    for (const auto& c : cases)
        EXPECT_EQ(fittedSize(c.designed, c.room, 14), c.fitted) << c.designed.width();
}

class ScreenFitWindows : public ::testing::Test {
protected:
    ScreenFitWindows() {
        QDir().mkpath(home.filePath(QStringLiteral("bin")));
        writeBytes(home.filePath(QStringLiteral("bin/help.txt")), "Help\n");
        writeBytes(home.filePath(QStringLiteral("batch.txt")), "a|b\r\n");
        app.Main();
    }

    // The window lies on its screen's free area, frame and all. Where its design fits there it
    // is exactly as designed; otherwise it is smaller and its content scrolls so far that each
    // control that takes the focus comes into view with it (whole, where the view can hold it).
    void expectFits(QWidget& window, ScreenFit& fit) {
        SCOPED_TRACE(window.objectName().toStdString());
        bringForward(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        const QRect screen = window.screen()->availableGeometry();
        const QMargins frame = frameMargins(window);
        const QRect framed(window.pos(), window.size().grownBy(frame));
        EXPECT_TRUE(screen.contains(framed)) << framed.width() << "x" << framed.height() << " at "
                                             << framed.x() << "," << framed.y();
        const QSize room = screen.size().shrunkBy(frame);
        const QSize designed = fit.designedSize();
        const bool fitsAsDesigned =
            designed.width() <= room.width() && designed.height() <= room.height();
        if (fitsAsDesigned) {
            EXPECT_EQ(window.size(), designed);
        }
        QScrollArea* area = fit.scrollArea();
        if (!area)
            return; // a viewer, whose box scrolls its own text
        const QSize view = area->viewport()->size();
        EXPECT_GE(view.width() + area->horizontalScrollBar()->maximum(), fit.page()->width());
        EXPECT_GE(view.height() + area->verticalScrollBar()->maximum(), fit.page()->height());
        if (fitsAsDesigned) {
            EXPECT_EQ(view, fit.page()->size()); // nothing to scroll
        }
        for (QWidget* control : fit.page()->findChildren<QWidget*>()) {
            if (!control->isVisibleTo(fit.page()) || !control->isEnabled() ||
                !(control->focusPolicy() & Qt::TabFocus) || control->focusProxy())
                continue;
            control->setFocus(Qt::TabFocusReason);
            if (QApplication::focusWidget() != control)
                continue; // it hands the focus on
            const QRect shown(control->mapTo(area->viewport(), QPoint(0, 0)), control->size());
            const QRect viewRect = area->viewport()->rect();
            const std::string name = control->objectName().toStdString();
            if (shown.width() <= view.width() && shown.height() <= view.height()) {
                EXPECT_TRUE(viewRect.contains(shown)) << name;
            } else { // too large for the view: the part with the caret
                EXPECT_TRUE(viewRect.intersects(shown)) << name;
            }
        }
    }

    QTemporaryDir home;
    ScriptedPrompter prompter;
    ZukApplication app{AppEnvironment{home.path(), home.filePath(QStringLiteral("bin/zuk"))},
                       [](bool) {}, &prompter};
};

TEST_F(ScreenFitWindows, TheMainWindowNarrowAndWide) {
    expectFits(app.window(), app.window().screenFit());
    app.window().cmdExpand_Click();
    expectFits(app.window(), app.window().screenFit());
}

TEST_F(ScreenFitWindows, TheBatchWindowAndItsTestView) {
    named<QAction>(app.window(), "mnuBatch")->trigger();
    frmBatch* batch = app.batchWindows().batchWindow();
    ASSERT_TRUE(batch);
    expectFits(*batch, batch->screenFit());
    batch->tBatchPath()->setText(home.filePath(QStringLiteral("batch.txt")));
    named<QPushButton>(*batch, "cTest")->click();
    frmTestBatch* test = app.batchWindows().testView();
    ASSERT_TRUE(test);
    expectFits(*test, test->screenFit());
}

TEST_F(ScreenFitWindows, TheViewersAndTheAboutBox) {
    SecondaryWindows& windows = app.secondaryWindows();
    windows.cmdViewLog_Click();
    windows.cmdHelp_Click();
    windows.mnuAbout_Click();
    ASSERT_TRUE(windows.logViewer() && windows.helpViewer() && windows.aboutBox());
    expectFits(*windows.logViewer(), windows.logViewer()->screenFit());
    expectFits(*windows.helpViewer(), windows.helpViewer()->screenFit());
    expectFits(*windows.aboutBox(), windows.aboutBox()->screenFit());
}

} // namespace
} // namespace zuk::test
