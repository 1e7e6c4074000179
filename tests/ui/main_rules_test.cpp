// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main_window_fixture.h"

#include "ui/multi_line_box.h"
#include "ui/right_box.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>

namespace zuk::test {
namespace {

class RulesTest : public MainWindowTest {
protected:
    void enableAll() {
        for (QWidget* widget : window.centralWidget()->findChildren<QWidget*>())
            widget->setEnabled(true);
    }
    void expectEnabled(const QStringList& names, bool on) {
        for (const QString& name : names)
            EXPECT_EQ(named<QWidget>(window, name)->isEnabled(), on) << name.toStdString();
    }
    QColor buttonFace() {
        return QApplication::palette().color(QPalette::Active, QPalette::Button);
    }
};

TEST_F(RulesTest, DisableControlsOptFileDisablesTheTypeChoices) {
    enableAll();
    window.DisableControls(frmMain::ControlGroup::OptFile, true);
    expectEnabled(kFileTypeBoxes + QStringList{"chkSub", "chkAllType"}, false);
    expectEnabled({"chkThis", "txtThis"}, true);
}

TEST_F(RulesTest, DisableControlsOptAllEnablesTheSevenOnlyWithoutAllTypes) {
    window.DisableControls(frmMain::ControlGroup::OptAll, false);
    expectEnabled({"chkSub", "chkAllType"}, true);
    expectEnabled(kFileTypeBoxes, false); // chkAllType is 1
    expectEnabled({"chkThis", "txtThis"}, false);

    chk("chkAllType")->blockSignals(true);
    chk("chkAllType")->setValue(Greyed); // neither 0 nor 1: the seven stay as they are
    window.DisableControls(frmMain::ControlGroup::OptAll, false);
    expectEnabled(kFileTypeBoxes, false);
    chk("chkAllType")->setValue(Unchecked);
    window.DisableControls(frmMain::ControlGroup::OptAll, false);
    expectEnabled(kFileTypeBoxes, true);
    expectEnabled({"chkThis", "txtThis"}, false);
}

TEST_F(RulesTest, DisableControlsAllType) {
    window.DisableControls(frmMain::ControlGroup::AllType, true);
    expectEnabled(kFileTypeBoxes + QStringList{"chkThis"}, true);
    EXPECT_FALSE(enabled("txtThis")); // chkThis is 0

    chk("chkThis")->blockSignals(true);
    chk("chkThis")->setValue(Checked);
    window.DisableControls(frmMain::ControlGroup::AllType, true);
    EXPECT_TRUE(enabled("txtThis"));
    EXPECT_EQ(window.txtThisBackground(), QColor(Qt::white));

    window.DisableControls(frmMain::ControlGroup::AllType, false);
    expectEnabled(kFileTypeBoxes + QStringList{"chkThis", "txtThis"}, false);
    EXPECT_EQ(window.txtThisBackground(), buttonFace());
    // Values never change.
    for (const QString& name : kFileTypeBoxes)
        EXPECT_EQ(named<CheckBox>(window, name)->value(), Checked);
    EXPECT_EQ(chk("chkThis")->value(), Checked);
}

TEST_F(RulesTest, DirectoryModeTypeRulesInSequence) {
    opt("optAll")->click();
    expectEnabled({"chkSub", "chkAllType"}, true);
    expectEnabled(kFileTypeBoxes, false);

    chk("chkAllType")->click(); // cleared
    EXPECT_EQ(chk("chkAllType")->value(), Unchecked);
    expectEnabled(kFileTypeBoxes + QStringList{"chkThis"}, true);
    EXPECT_FALSE(enabled("txtThis"));
    chk("chkThis")->click();
    EXPECT_TRUE(enabled("txtThis"));
    EXPECT_EQ(window.txtThisBackground(), QColor(Qt::white));

    opt("optFile")->click();
    expectEnabled(kFileTypeBoxes + QStringList{"chkSub", "chkAllType"}, false);
    expectEnabled({"chkThis", "txtThis"}, true);

    opt("optAll")->click();
    expectEnabled(kFileTypeBoxes + QStringList{"chkSub", "chkAllType"}, true);

    chk("chkAllType")->click(); // checked again
    expectEnabled(kFileTypeBoxes + QStringList{"chkThis", "txtThis"}, false);
    EXPECT_EQ(window.txtThisBackground(), buttonFace());
    for (const QString& name : kFileTypeBoxes)
        EXPECT_EQ(named<CheckBox>(window, name)->value(), Checked);
    EXPECT_EQ(chk("chkThis")->value(), Checked);
}

TEST_F(RulesTest, ValuesSetFromCodeRunTheRules) {
    // The settings load sets values; the rules follow as if clicked.
    opt("optAll")->setChecked(true);
    EXPECT_TRUE(enabled("chkSub"));
    chk("chkAllType")->setValue(Unchecked);
    expectEnabled(kFileTypeBoxes, true);
    chk("chkThis")->setValue(Checked);
    EXPECT_TRUE(enabled("txtThis"));
    chk("chkThis")->setValue(Unchecked);
    EXPECT_FALSE(enabled("txtThis"));
    EXPECT_EQ(window.txtThisBackground(), buttonFace());

    chk("chkDoAllCRLF")->setValue(Unchecked);
    expectEnabled({"chkKeepLeftSpc", "chkKeepRightSpc"}, false);
    chk("chkKeepLeftSpc")->setValue(Checked);
    chk("chkDoAllCRLF")->setValue(Greyed); // not 1: still off
    expectEnabled({"chkKeepLeftSpc", "chkKeepRightSpc"}, false);
    chk("chkDoAllCRLF")->click(); // a click on a greyed box checks it
    EXPECT_EQ(chk("chkDoAllCRLF")->value(), Checked);
    expectEnabled({"chkKeepLeftSpc", "chkKeepRightSpc"}, true);
    EXPECT_EQ(chk("chkKeepLeftSpc")->value(), Checked);
    chk("chkDoAllCRLF")->click();
    EXPECT_EQ(chk("chkDoAllCRLF")->value(), Unchecked); // clicks never give 2
}

TEST_F(RulesTest, TextModeWidensAndFileModeDoesNotNarrow) {
    opt("optText")->click();
    EXPECT_EQ(window.widthTwips(), frmMain::kWideTwips);
    EXPECT_EQ(window.width(), window.scale().px(frmMain::kWideTwips));
    EXPECT_EQ(cmd("cmdExpand")->text(), QStringLiteral("<"));
    EXPECT_FALSE(window.rightBox()->isReadOnly());
    expectEnabled(kFileTypeBoxes + QStringList{"chkSub", "chkAllType"}, false);

    opt("optFile")->click();
    EXPECT_EQ(window.widthTwips(), frmMain::kWideTwips);
    EXPECT_TRUE(window.rightBox()->isReadOnly());
    opt("optText")->click(); // already wide: stays wide
    EXPECT_EQ(window.widthTwips(), frmMain::kWideTwips);
    opt("optAll")->click();
    EXPECT_EQ(window.widthTwips(), frmMain::kWideTwips);
    EXPECT_TRUE(window.rightBox()->isReadOnly());
}

TEST_F(RulesTest, ExpandTwiceKeepsTheLeftEdgeAndHeight) {
    window.move(40, 30);
    const int height = window.height();
    cmd("cmdExpand")->click();
    EXPECT_EQ(window.widthTwips(), frmMain::kWideTwips);
    EXPECT_EQ(cmd("cmdExpand")->text(), QStringLiteral("<"));
    cmd("cmdExpand")->click();
    EXPECT_EQ(window.widthTwips(), frmMain::kNarrowTwips);
    EXPECT_EQ(window.width(), window.scale().px(frmMain::kNarrowTwips));
    EXPECT_EQ(cmd("cmdExpand")->text(), QStringLiteral(">"));
    EXPECT_EQ(window.x(), 40);
    EXPECT_EQ(window.height(), height);
}

TEST_F(RulesTest, ClearEmptiesTheBoxesOnly) {
    named<MultiLineBox>(window, "txtSearch")->setText(QStringLiteral("a"));
    named<MultiLineBox>(window, "txtReplace")->setText(QStringLiteral("b"));
    line("txtPath")->setText(QStringLiteral("/x/"));
    line("txtThis")->setText(QStringLiteral(".inc"));
    window.rightBox()->setPlainText(QStringLiteral("right"));
    window.adapter().showCounters({3, 2, 1});
    named<QAction>(window, "mnuClear")->trigger();
    EXPECT_EQ(window.adapter().searchText(), QString());
    EXPECT_EQ(window.adapter().replaceText(), QString());
    EXPECT_EQ(window.adapter().path(), QString());
    EXPECT_EQ(window.rightBox()->toPlainText(), QString());
    EXPECT_EQ(window.rightBoxText(), QString());
    EXPECT_EQ(window.adapter().customExtension(), QStringLiteral(".inc"));
    EXPECT_EQ(named<QLabel>(window, "lblTotFiles")->text(), QStringLiteral("3"));
}

TEST_F(RulesTest, CopyAndPasteOnTheRightBox) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    RightBox* box = window.rightBox();
    box->setPlainText(QStringLiteral("one\ntwo"));
    clipboard->setText(QStringLiteral("left over"));
    named<QAction>(window, "mnuCopy")->trigger(); // nothing selected
    EXPECT_EQ(clipboard->text(), QString());

    box->selectAll();
    named<QAction>(window, "mnuCopy")->trigger();
    EXPECT_EQ(clipboard->text(), QStringLiteral("one\ntwo"));

    // File mode: the box is read-only, and Paste still replaces the selection.
    ASSERT_TRUE(box->isReadOnly());
    QTextCursor cursor = box->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(3, QTextCursor::KeepAnchor);
    box->setTextCursor(cursor);
    clipboard->setText(QStringLiteral("ONE"));
    named<QAction>(window, "mnuPaste")->trigger();
    EXPECT_EQ(box->toPlainText(), QStringLiteral("ONE\ntwo"));

    // An empty clipboard deletes the selection.
    clipboard->clear();
    box->selectAll();
    named<QAction>(window, "mnuPaste")->trigger();
    EXPECT_EQ(box->toPlainText(), QString());
}

TEST_F(RulesTest, OnlyTheRightButtonShowsTheBoxMenu) {
    window.show();
    cmd("cmdExpand")->click();
    QWidget* viewport = window.rightBox()->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FALSE(window.customMenu()->isVisible());
    QTest::mousePress(viewport, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_TRUE(window.customMenu()->isVisible());
    window.customMenu()->hide();
}

TEST_F(RulesTest, FocusSelectsTheWholeTextAndStartsInTheSearchBox) {
    auto* search = named<MultiLineBox>(window, "txtSearch");
    auto* replace = named<MultiLineBox>(window, "txtReplace");
    search->setText(QStringLiteral("find\nme"));
    replace->setText(QStringLiteral("other"));
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(QApplication::focusWidget(), search);
    EXPECT_EQ(search->textCursor().selectedText(),
              QStringLiteral("find") + QChar::ParagraphSeparator + QStringLiteral("me"));

    QTest::keyClick(search, Qt::Key_Tab); // Tab moves on
    EXPECT_EQ(QApplication::focusWidget(), replace);
    EXPECT_EQ(replace->textCursor().selectedText(), QStringLiteral("other"));
    QTest::keyClicks(replace, QStringLiteral("x")); // typing replaces the whole text
    EXPECT_EQ(window.adapter().replaceText(), QStringLiteral("x"));

    // Ctrl+Tab types a tab, Enter a line break.
    QTest::keyClick(replace, Qt::Key_Tab, Qt::ControlModifier);
    QTest::keyClick(replace, Qt::Key_Return);
    QTest::keyClicks(replace, QStringLiteral("y"));
    EXPECT_EQ(QApplication::focusWidget(), replace);
    EXPECT_EQ(window.adapter().replaceText(), QStringLiteral("x\t\r\ny"));
}

TEST_F(RulesTest, AClickThatGivesABoxTheFocusSelectsItsTextASecondClickPlacesTheCaret) {
    auto* search = named<MultiLineBox>(window, "txtSearch");
    auto* replace = named<MultiLineBox>(window, "txtReplace");
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    // Where a click puts the caret after the second character.
    auto afterSecond = [](MultiLineBox* box) {
        QTextCursor at(box->document());
        at.setPosition(2);
        return box->cursorRect(at).center();
    };
    for (MultiLineBox* box : {replace, search}) { // the focus starts in the search box
        SCOPED_TRACE(box->objectName().toStdString());
        box->setText(QStringLiteral("old shop"));
        QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, afterSecond(box));
        EXPECT_EQ(QApplication::focusWidget(), box);
        EXPECT_EQ(box->textCursor().selectedText(), QStringLiteral("old shop"));
        QTest::keyClicks(box, QStringLiteral("apple"));
        EXPECT_EQ(box->text(), QStringLiteral("apple"));

        QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, afterSecond(box));
        EXPECT_FALSE(box->textCursor().hasSelection());
        QTest::keyClicks(box, QStringLiteral("X"));
        EXPECT_EQ(box->text(), QStringLiteral("apXple"));
    }
}

TEST_F(RulesTest, BrowseForAFileKeepsTheLastName) {
    cmd("cmdBrowse")->click(); // cancelled before any choice
    EXPECT_EQ(prompter.texts(), QStringList{"No File Selected!"});
    ASSERT_EQ(chooser.fileCalls.size(), 1);
    EXPECT_EQ(chooser.fileCalls[0].first,
              QStringLiteral("HTM Files (*.htm);;HTML Files (*.html);;Cold Fusion Markup (*.cfm);;"
                             "Text Files (*.txt);;All Files (*)"));

    chooser.answers = {QStringLiteral("/site/a.htm")};
    cmd("cmdBrowse")->click();
    EXPECT_EQ(window.adapter().path(), QDir::toNativeSeparators(QStringLiteral("/site/a.htm")));

    line("txtPath")->setText(QStringLiteral("typed"));
    cmd("cmdBrowse")->click(); // cancelled: the earlier choice comes back
    EXPECT_EQ(chooser.fileCalls.last().second,
              QDir::toNativeSeparators(QStringLiteral("/site/a.htm")));
    EXPECT_EQ(window.adapter().path(), QDir::toNativeSeparators(QStringLiteral("/site/a.htm")));
    EXPECT_EQ(prompter.shown.size(), 1);
}

TEST_F(RulesTest, BrowseForAFolderInDirectoryAndTextMode) {
    opt("optText")->click();
    cmd("cmdBrowse")->click(); // text mode uses the folder browser; cancelled, path empty
    EXPECT_TRUE(chooser.fileCalls.isEmpty());
    EXPECT_EQ(chooser.folderTitles, QStringList{"Select the directory to scan"});
    EXPECT_EQ(prompter.texts(), QStringList{"No folder selected!"});

    opt("optAll")->click();
    chooser.answers = {QStringLiteral("/site")};
    cmd("cmdBrowse")->click();
    EXPECT_EQ(window.adapter().path(), QDir::toNativeSeparators(QStringLiteral("/site/")));

    cmd("cmdBrowse")->click(); // cancelled with a path present: nothing changes
    EXPECT_EQ(window.adapter().path(), QDir::toNativeSeparators(QStringLiteral("/site/")));
    EXPECT_EQ(prompter.shown.size(), 1);

    chooser.answers = {QDir::rootPath()}; // already ends with the separator
    cmd("cmdBrowse")->click();
    EXPECT_EQ(window.adapter().path(), QDir::toNativeSeparators(QDir::rootPath()));
}

TEST_F(RulesTest, BrowseOpensAtTheCurrentPathWhenItExists) {
    QTemporaryDir dir;
    const QString file = QDir::toNativeSeparators(dir.filePath(QStringLiteral("a.htm")));
    QFile(file).open(QIODevice::WriteOnly);
    const QString folder = QDir::toNativeSeparators(dir.path());
    const QString gone = QDir::toNativeSeparators(dir.filePath(QStringLiteral("gone/b.htm")));
    struct Case {
        QString path, fileStart, folderStart;
    };
    const Case cases[] = {
        {file, file, dir.path()},
        {folder, dir.path(), dir.path()},
        {QDir::toNativeSeparators(dir.filePath(QStringLiteral("new.htm"))), dir.path(), dir.path()},
        {gone, QString(), QString()}, // the file dialog's own last name (none yet), no folder
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        line("txtPath")->setText(c.path);
        opt("optFile")->click();
        cmd("cmdBrowse")->click();
        EXPECT_EQ(QDir::fromNativeSeparators(chooser.fileCalls.last().second), c.fileStart);
        opt("optAll")->click();
        cmd("cmdBrowse")->click();
        EXPECT_EQ(chooser.folderStarts.last(), c.folderStart);
    }
}

TEST(FileFilter, ConvertsPipePairs) {
    EXPECT_EQ(qtFileFilter(QStringLiteral("Text|*.txt;*.asc|")),
              QStringLiteral("Text (*.txt *.asc)"));
    EXPECT_EQ(qtFileFilter(QString()), QString());
    EXPECT_EQ(qtFileFilter(QStringLiteral("Odd|")), QString());
    EXPECT_EQ(qtFileFilter(QStringLiteral(" *.htm|*.htm|")), QStringLiteral("*.htm"));
}

TEST_F(RulesTest, TheOptionsMenuSaysHowTheSearchTextIsRead) {
    const QList<QAction*> menus = window.menuBar()->actions();
    ASSERT_EQ(menus.size(), 3);
    EXPECT_EQ(menus[1]->text(), "&Options");
    QLabel* caption = named<QLabel>(window, "Label1");
    const QString plain = caption->text();
    const int designedWidth = caption->width();
    const std::pair<const char*, OptionId> items[] = {{"mnuRegex", OptionId::Regex},
                                                      {"mnuWholeWords", OptionId::WholeWords},
                                                      {"mnuPreserveCase", OptionId::PreserveCase}};
    for (qsizetype i = 0; i < 3; ++i) {
        const auto [name, id] = items[i];
        QAction* item = named<QAction>(window, name);
        EXPECT_EQ(menus[1]->menu()->actions().indexOf(item), i);
        EXPECT_EQ(window.optionControls().check(id), Unchecked);
        item->trigger();
        EXPECT_EQ(window.optionControls().check(id), Checked);
    }
    EXPECT_EQ(caption->text(), "Text to Search For :   (Regex, Whole Words, Preserve Case)");
    // The longer caption is shown whole, beside the button and not under it.
    EXPECT_GE(caption->width(), caption->sizeHint().width());
    EXPECT_LE(caption->geometry().right(), named<QPushButton>(window, "cmdExpand")->x());
    for (const auto& [name, id] : items)
        window.optionControls().setCheck(id, Unchecked);
    EXPECT_EQ(caption->text(), plain);
    EXPECT_EQ(caption->width(), designedWidth);
}

} // namespace
} // namespace zuk::test
