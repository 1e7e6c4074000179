// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main_window_fixture.h"

#include "ui/caption_button.h"
#include "ui/main_layout.h"
#include "ui/multi_line_box.h"

#include <QApplication>

#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

namespace zuk::test {
namespace {

TEST_F(MainWindowTest, DesignedStateBeforeSettings) {
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Zukanor"));
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_FALSE(window.windowIcon().pixmap(32, 32).isNull());
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(window.minimumSize(), window.maximumSize()); // fixed border

    EXPECT_TRUE(opt("optFile")->isChecked());
    EXPECT_FALSE(opt("optText")->isChecked());
    EXPECT_FALSE(opt("optAll")->isChecked());
    EXPECT_EQ(window.adapter().mode(), RunMode::SelectedFile);

    // Each file type's box, wherever the layout puts it, is in the options frame and names it.
    for (const FileType& type : kFileTypes) {
        CheckBox* box = chk(type.checkBox);
        EXPECT_EQ(box->parentWidget(), named<QGroupBox>(window, "Frame1")) << type.checkBox;
        EXPECT_EQ(box->text(), QStringLiteral("Search *%1 Files").arg(type.extension));
    }
    QStringList disabled = kFileTypeBoxes;
    disabled << QStringLiteral("chkSub") << QStringLiteral("chkAllType")
             << QStringLiteral("chkThis") << QStringLiteral("txtThis");
    for (const QString& name : disabled)
        EXPECT_FALSE(named<QWidget>(window, name)->isEnabled()) << name.toStdString();
    QStringList checked = kFileTypeBoxes;
    checked << QStringLiteral("chkAllType") << QStringLiteral("chkSub") << QStringLiteral("chkCase")
            << QStringLiteral("chkLog") << QStringLiteral("chkSearchOnly")
            << QStringLiteral("chkBackUp") << QStringLiteral("chkDoAllCRLF");
    for (const QString& name : checked)
        EXPECT_EQ(named<CheckBox>(window, name)->value(), 1) << name.toStdString();
    for (const char* name : {"chkThis", "chkKeepLeftSpc", "chkKeepRightSpc"})
        EXPECT_EQ(chk(name)->value(), 0) << name;
    EXPECT_TRUE(enabled("chkKeepLeftSpc"));
    EXPECT_EQ(window.txtThisBackground(), QColor(192, 192, 192));

    EXPECT_EQ(window.widthTwips(), frmMain::kNarrowTwips);
    EXPECT_EQ(window.width(), window.scale().px(frmMain::kNarrowTwips));
    EXPECT_EQ(cmd("cmdExpand")->text(), QStringLiteral(">"));
    EXPECT_TRUE(window.rightBox()->isReadOnly());
    for (const char* name : {"lblTotFiles", "lblFilesDone", "lblReplaceMade"})
        EXPECT_EQ(named<QLabel>(window, name)->text(), QStringLiteral("0"));

    // Windows that don't exist yet: their commands are off.
    EXPECT_FALSE(enabled("cmdViewLog"));
    EXPECT_FALSE(enabled("cmdHelp"));
    for (const char* name : {"mnuViewLog", "mnuHelp", "mnuAbout", "mnuBatch", "mnuUndoLastRun"})
        EXPECT_FALSE(itemEnabled(name)) << name;
    for (const char* name : {"mnuClear", "mnuRollBack", "mnuStart", "mnuExit", "mnuCopy"})
        EXPECT_TRUE(itemEnabled(name)) << name;
}

TEST_F(MainWindowTest, ConnectingAViewerEnablesItsCommands) {
    int opened = 0;
    window.setViewLogCommand([&] { ++opened; });
    EXPECT_TRUE(enabled("cmdViewLog"));
    EXPECT_TRUE(itemEnabled("mnuViewLog"));
    cmd("cmdViewLog")->click();
    named<QAction>(window, "mnuViewLog")->trigger();
    window.adapter().openLogViewer();
    EXPECT_EQ(opened, 3);
}

TEST_F(MainWindowTest, MenusHoldTheirItemsInOrder) {
    const QList<QAction*> menus = window.menuBar()->actions();
    ASSERT_EQ(menus.size(), 3);
    EXPECT_EQ(menus[0]->text(), QStringLiteral("&File"));
    EXPECT_EQ(menus[2]->text(), QStringLiteral("&Help"));
    QStringList file;
    for (QAction* item : menus[0]->menu()->actions())
        file << (item->isSeparator() ? QStringLiteral("-") : item->text());
    EXPECT_EQ(file, (QStringList{"Clear", "Roll Back", "Start Search", "Batch Processing",
                                 "View Log", "Preview Changes", "Undo Last Run", "-", "E&xit"}));
    QStringList help;
    for (QAction* item : menus[2]->menu()->actions())
        help << item->text();
    EXPECT_EQ(help, (QStringList{"Help with ZUK", "About ZUK"}));
    QStringList custom;
    for (QAction* item : window.customMenu()->actions())
        custom << item->text();
    EXPECT_EQ(custom, (QStringList{"Copy", "Paste"}));
}

// The controls Tab visits from the search box until it comes back there.
QStringList tabWalk(frmMain& window) {
    window.show();
    QApplication::setActiveWindow(&window);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    named<QWidget>(window, "txtSearch")->setFocus(Qt::TabFocusReason);
    QStringList visited;
    for (int i = 0; i < 60; ++i) {
        QWidget* focus = QApplication::focusWidget();
        visited << (focus ? focus->objectName() : QStringLiteral("(none)"));
        QTest::keyClick(focus, Qt::Key_Tab);
        if (QApplication::focusWidget() == named<QWidget>(window, "txtSearch"))
            break;
    }
    return visited;
}

TEST_F(MainWindowTest, TabFollowsTheTabIndexesAndSkipsTheHiddenPane) {
    // Everything enabled: directory mode, single types chosen, the viewers connected.
    window.setViewLogCommand([] {});
    window.setHelpCommand([] {});
    opt("optAll")->setChecked(true);
    chk("chkAllType")->setValue(Unchecked);
    chk("chkThis")->setValue(Checked);
    const QStringList before = {
        "txtSearch",    "txtReplace",     "optAll",         "chkSub",    "chkAllType",
        "chkASP",       "chkCFM",         "chkHTM",         "chkHTML",   "chkPHP",
        "chkPL",        "chkTXT",         "chkThis",        "txtThis",   "chkCase",
        "chkLog",       "chkSearchOnly",  "chkBackUp",      "cmdBrowse", "txtPath",
        "cmdStart",     "cmdViewLog",     "cmdExit",        "cmdClear",  "cmdHelp",
        "chkDoAllCRLF", "chkKeepLeftSpc", "chkKeepRightSpc"};
    const QStringList after = {"cmdExpand", "cmdRollBack"};
    EXPECT_EQ(tabWalk(window), before + after); // narrow: the right-hand box is out of sight
    window.cmdExpand_Click();
    EXPECT_EQ(tabWalk(window), before + QStringList{"RTB1"} + after);

    // Text mode narrowed again: the editable box takes no focus, so Tab types nothing into it.
    opt("optText")->setChecked(true);
    window.rightBox()->setPlainText(QStringLiteral("text"));
    window.cmdExpand_Click();
    ASSERT_FALSE(window.isWide());
    EXPECT_EQ(tabWalk(window),
              (QStringList{"txtSearch", "txtReplace", "optText", "chkThis", "txtThis", "chkCase",
                           "chkLog", "chkSearchOnly", "chkBackUp", "cmdBrowse", "txtPath",
                           "cmdStart", "cmdViewLog", "cmdExit", "cmdClear", "cmdHelp",
                           "chkDoAllCRLF", "chkKeepLeftSpc", "chkKeepRightSpc"} +
               after));
    EXPECT_EQ(window.rightBox()->toPlainText(), QStringLiteral("text"));
}

// The default font, the font at 1.5 times (as 144 dpi gives) and at twice its size.
const double kFontPoints[] = {9, 13.5, 18};

TEST(MainWindowFonts, NoCaptionIsClipped) {
    for (const double points : kFontPoints) {
        SCOPED_TRACE(points);
        AppFont font(points);
        RunState state;
        ScriptedPrompter prompter;
        frmMain window(state, prompter);
        for (const ControlRow& row : mainControls()) {
            QWidget* widget = named<QWidget>(window, QString::fromUtf8(row.name));
            const std::string name = row.name;
            switch (row.kind) {
            case ControlKind::Label:
            case ControlKind::Check:
            case ControlKind::Option:
            case ControlKind::Button:
                EXPECT_GE(widget->width(), widget->sizeHint().width()) << name;
                [[fallthrough]];
            case ControlKind::LineText:
                EXPECT_GE(widget->height(), widget->sizeHint().height()) << name;
                break;
            case ControlKind::Frame: {
                auto* frame = static_cast<QGroupBox*>(widget);
                EXPECT_GT(frame->width(), frame->fontMetrics().horizontalAdvance(frame->title()));
                // Its rows lie below its title and above its lower border.
                for (QWidget* child : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                    EXPECT_GE(child->y(), frame->contentsMargins().top())
                        << child->objectName().toStdString();
                    EXPECT_LE(child->geometry().bottom(),
                              frame->height() - frame->contentsMargins().bottom())
                        << child->objectName().toStdString();
                }
                break;
            }
            default:
                break;
            }
            // A button's caption also fits the room its style leaves inside the frame.
            if (auto* button = qobject_cast<QPushButton*>(widget)) {
                QStyleOptionButton option;
                option.initFrom(button);
                option.text = button->text();
                const QRect inside =
                    button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
                EXPECT_GE(inside.width(), button->fontMetrics().horizontalAdvance(button->text()))
                    << name;
            }
            // Everything lies inside the client area of the wide window.
            if (!row.parent) {
                EXPECT_LE(widget->geometry().right(), window.scale().px(frmMain::kWideTwips));
                EXPECT_LE(widget->geometry().bottom(),
                          window.scale().py(frmMain::kClientHeightTwips));
            }
        }
        // The right-hand pane lies beyond the narrow width.
        EXPECT_GE(window.rightBox()->x(), window.scale().px(frmMain::kNarrowTwips));
        EXPECT_LT(named<QPushButton>(window, "cmdExpand")->geometry().right(),
                  window.scale().px(frmMain::kNarrowTwips));
    }
}

// A laptop's 1366 x 768 screen less a 32-pixel panel, and a frame larger than a typical window
// manager's (openbox draws 1 + 20 + 1 pixels down, 1 + 1 across): 8-pixel borders and a
// 32-pixel title bar.
const QRect kLaptopArea(0, 32, 1366, 736);
const QMargins kFrame(8, 32, 8, 8);

TEST(MainWindowFonts, FitsALaptopScreenAtTheDefaultFontAndKeepsItsTitleBarOnItAtAnyFont) {
    for (const double points : kFontPoints) {
        SCOPED_TRACE(points);
        AppFont font(points);
        RunState state;
        ScriptedPrompter prompter;
        frmMain window(state, prompter);
        const QPoint start = window.startPosition(kLaptopArea);
        EXPECT_GE(start.y(), kLaptopArea.top());
        EXPECT_GE(start.x(), kLaptopArea.left());
        if (points == 9) {
            // Wide, with its frame, the whole window is on the free area.
            window.cmdExpand_Click();
            const QRect frame = QRect(start, window.size())
                                    .marginsAdded(kFrame)
                                    .translated(kFrame.left(), kFrame.top());
            EXPECT_TRUE(kLaptopArea.contains(frame)) << frame.width() << "x" << frame.height();
        }
    }
}

TEST_F(MainWindowTest, CountersGrowWithTheirText) {
    window.adapter().showCounters({1234567, 2, 300});
    QLabel* total = named<QLabel>(window, "lblTotFiles");
    EXPECT_EQ(total->text(), QStringLiteral("1234567"));
    EXPECT_GE(total->width(), total->sizeHint().width());
    EXPECT_EQ(named<QLabel>(window, "lblFilesDone")->text(), QStringLiteral("2"));
    EXPECT_EQ(named<QLabel>(window, "lblReplaceMade")->text(), QStringLiteral("300"));
    window.adapter().setCurrentPath(QStringLiteral("/a/b.htm"));
    EXPECT_EQ(named<QLabel>(window, "lblCurPath")->text(), QStringLiteral("/a/b.htm"));
}

// The run reads each option, by id, from the control the table names for it.
TEST_F(MainWindowTest, EachOptionIsReadFromItsOwnControl) {
    const RunOptions& options = window.adapter();
    for (const RunOptionRow& row : runOptionTable()) {
        if (!row.control)
            continue; // kept by a dialog of its own
        switch (row.kind) {
        case OptionKind::OptionButton:
            opt(row.control)->setChecked(true);
            EXPECT_EQ(options.check(row.id), Checked) << row.control;
            break;
        case OptionKind::Check:
            if (auto* item = window.findChild<QAction*>(row.control)) {
                item->setChecked(true); // a menu's check item: on or off
                EXPECT_EQ(options.check(row.id), Checked) << row.control;
                break;
            }
            chk(row.control)->setValue(Greyed);
            EXPECT_EQ(options.check(row.id), Greyed) << row.control;
            break;
        case OptionKind::Text:
            if (auto* box = window.findChild<MultiLineBox*>(row.control))
                box->setText(QStringLiteral("x\r\ny"));
            else
                line(row.control)->setText(QStringLiteral("x\r\ny"));
            EXPECT_EQ(options.text(row.id), QStringLiteral("x\r\ny")) << row.control;
            break;
        }
    }
}

// Two windows' controls, for the builder's slots.
struct OneButton {
    QPushButton* button = nullptr;
};
struct OneLabel {
    QLabel* label = nullptr;
};

TEST(ControlSlots, EachRowsControlGoesIntoItsTypedMemberAndNothingElseDoes) {
    QWidget client;
    OneButton controls;
    const ControlRow button =
        into<&OneButton::button>({"cmdGo", ControlKind::Button, nullptr, "Go", 0, 0, 975, 495, 0});
    const ControlRow rows[] = {button,
                               {"Label1", ControlKind::Label, nullptr, "x", 0, 600, 90, 195, 1}};
    const BuiltControls built = buildControls(&client, rows, 1000, controls);
    EXPECT_EQ(controls.button, built.inRowOrder[0]);
    EXPECT_EQ(controls.button->objectName(), QStringLiteral("cmdGo"));

    // A member of another kind than the row's control, or of another window's controls, is a
    // mistake in the table that stops the window from being built.
    OneLabel other;
    const ControlRow asLabel =
        into<&OneLabel::label>({"cmdGo", ControlKind::Button, nullptr, "Go", 0, 0, 975, 495, 0});
    EXPECT_THROW(buildControls(&client, std::span(&asLabel, 1), 1000, other), std::logic_error);
    EXPECT_THROW(buildControls(&client, std::span(&button, 1), 1000, other), std::logic_error);
}

} // namespace
} // namespace zuk::test
