// SPDX-License-Identifier: GPL-3.0-or-later
// The Preview window driven as a user does: File -> "Preview Changes", ticks, Apply.

#include "app/window_place.h"
#include "support/function_yield.h"
#include "support/named_child.h"
#include "support/scripted_prompter.h"
#include "support/temp_files.h"
#include "ui/check_box.h"
#include "ui/multi_line_box.h"
#include "ui/preview_model.h"
#include "ui/zuk_application.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTreeView>
#include <gtest/gtest.h>

namespace zuk::test {
namespace {

class PreviewWindow : public ::testing::Test {
protected:
    PreviewWindow() {
        QStandardPaths::setTestModeEnabled(true);
        app.Main();
        writeBytes(work.filePath("a.txt"), "cat\ncat cat\n");
        writeBytes(work.filePath("b.txt"), "a cat");
        writeBytes(work.filePath("c.txt"), "no finds");
        named<MultiLineBox>(main, "txtSearch")->setText("cat");
        named<MultiLineBox>(main, "txtReplace")->setText("dog");
        named<QLineEdit>(main, "txtPath")->setText(QDir::toNativeSeparators(work.path()) + "/");
    }

    QTemporaryDir home, work;
    ScriptedPrompter prompter;
    FunctionYield yield;
    ZukApplication app{AppEnvironment{home.path(), home.filePath(QStringLiteral("bin/zuk"))},
                       [](bool) {}, &prompter, &yield};
    frmMain& main = app.window();
};

TEST_F(PreviewWindow, TickedFindsAreAppliedFromTheWindow) {
    named<QAction>(main, "mnuPreview")->trigger();
    frmPreview* preview = app.previewWindow();
    ASSERT_TRUE(preview);
    EXPECT_TRUE(preview->isVisible());
    auto* tree = named<QTreeView>(*preview, "trePreview");
    QAbstractItemModel* model = tree->model();
    ASSERT_EQ(model->rowCount(), 2);
    // The files in the order the walk met them.
    const int rowA = model->data(model->index(0, 0)).toString().endsWith("a.txt") ? 0 : 1;
    const QModelIndex a = model->index(rowA, 0);
    EXPECT_EQ(model->data(a.siblingAtColumn(1)).toString(), "3 finds");
    ASSERT_EQ(model->rowCount(a), 3);
    EXPECT_EQ(model->data(model->index(1, 1, a)).toString(), "cat cat");
    EXPECT_EQ(model->data(model->index(1, 2, a)).toString(), "dog dog");
    EXPECT_EQ(model->data(model->index(2, 1, a), PreviewModel::MarkRole).toPoint(), QPoint(4, 3));
    EXPECT_EQ(readBytes(work.filePath("a.txt")), "cat\ncat cat\n") << "the preview wrote";

    // Space on the second find unticks it; the file shows some ticked; Enter shows the change.
    tree->setFocus();
    tree->expand(a);
    tree->setCurrentIndex(model->index(1, 1, a));
    QTest::keyClick(tree, Qt::Key_Space);
    EXPECT_EQ(model->data(a, Qt::CheckStateRole).toInt(), Qt::PartiallyChecked);
    QTest::keyClick(tree, Qt::Key_Return);
    const QString change = named<QTextEdit>(*preview, "txtChange")->toPlainText();
    EXPECT_TRUE(change.contains("     2 - cat cat")) << change.toStdString();
    EXPECT_TRUE(change.contains("     2 + cat dog")) << change.toStdString();
    // The second file unticked whole.
    model->setData(model->index(1 - rowA, 0), Qt::Unchecked, Qt::CheckStateRole);
    EXPECT_EQ(named<QLabel>(*preview, "lblStatus")->text(), "2 files, 4 finds, 2 ticked");

    prompter.shown.clear();
    named<QPushButton>(*preview, "cmdApply")->click();
    EXPECT_EQ(readBytes(work.filePath("a.txt")), "dog\ncat dog\n");
    EXPECT_EQ(readBytes(work.filePath("b.txt")), "a cat");
    EXPECT_TRUE(prompter.texts().first().startsWith("WARNING!"))
        << prompter.texts().join('|').toStdString();
    EXPECT_EQ(prompter.texts().last(), "ZUK Done");
    EXPECT_FALSE(named<QPushButton>(*preview, "cmdApply")->isEnabled());
    EXPECT_EQ(named<QLabel>(*preview, "lblStatus")->text(),
              "Applied: 1 files changed, 2 replacements");
    // The Apply is journaled as a run is: Undo Last Run takes it back.
    named<QAction>(main, "mnuUndoLastRun")->trigger();
    EXPECT_EQ(readBytes(work.filePath("a.txt")), "cat\ncat cat\n");

    QTest::keyClick(tree, Qt::Key_Escape);
    EXPECT_FALSE(preview->isVisible());
    // The exit keeps its size and place for the next start.
    main.cmdExit_Click();
    EXPECT_EQ(loadWindowPlace(app.paths().iniPath, "Preview"), preview->place());
}

// Search Only: the finds are listed without ticks, and there is nothing to apply.
TEST_F(PreviewWindow, SearchOnlyListsWithoutApply) {
    named<CheckBox>(main, "chkSearchOnly")->setValue(Checked);
    named<QAction>(main, "mnuPreview")->trigger();
    frmPreview* preview = app.previewWindow();
    ASSERT_TRUE(preview);
    QAbstractItemModel* model = named<QTreeView>(*preview, "trePreview")->model();
    EXPECT_EQ(model->rowCount(), 2);
    EXPECT_FALSE(model->data(model->index(0, 0), Qt::CheckStateRole).isValid());
    EXPECT_TRUE(named<QPushButton>(*preview, "cmdApply")->isHidden());
    EXPECT_EQ(named<QLabel>(*preview, "lblOptions")->text(),
              "Options on: Search Only: nothing is changed");
}

} // namespace
} // namespace zuk::test
