// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/file_filters_dialog.h"
#include "ui/main_window_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>

namespace zuk::test {
namespace {

using Filters = FileFiltersDialog::Filters;

TEST(FileFiltersDialog, OkTakesThePatternsUnlessOneCanMatchNothing) {
    ScriptedPrompter prompter;
    FileFiltersDialog dialog(Filters{"*.js\nsrc/", "", true}, nullptr, &prompter);
    EXPECT_EQ(named<QPlainTextEdit>(dialog, "txtInclude")->toPlainText(), "*.js\nsrc/");
    EXPECT_TRUE(named<QCheckBox>(dialog, "chkGitIgnore")->isChecked());
    dialog.show();

    // Refused with its reason in a box of the dialog's; the dialog stays open, as typed.
    named<QPlainTextEdit>(dialog, "txtExclude")->setPlainText("node_modules\n[abc");
    named<QPushButton>(dialog, "cmdOK")->click();
    EXPECT_EQ(prompter.texts(),
              QStringList({"The pattern \"[abc\" has a \"[\" without its \"]\"."}));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);

    named<QPlainTextEdit>(dialog, "txtExclude")->setPlainText("node_modules\n\\[abc");
    named<QCheckBox>(dialog, "chkGitIgnore")->setChecked(false);
    named<QPushButton>(dialog, "cmdOK")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.filters(), (Filters{"*.js\nsrc/", "node_modules\n\\[abc", false}));
    // Every caption is shown whole.
    for (QLabel* label : dialog.findChildren<QLabel*>())
        EXPECT_GE(label->width(), label->minimumSizeHint().width()) << label->text().toStdString();
}

class FileFiltersWindow : public MainWindowTest {
protected:
    // The dialog the menu item opens, answered with `filters` and OK or Cancel.
    void choose(const Filters& filters, bool ok = true) {
        named<QAction>(window, "mnuFileFilters")->trigger();
        auto* dialog = named<FileFiltersDialog>(window, "frmFileFilters");
        ASSERT_TRUE(dialog->isVisible());
        named<QPlainTextEdit>(*dialog, "txtInclude")->setPlainText(filters.include);
        named<QPlainTextEdit>(*dialog, "txtExclude")->setPlainText(filters.exclude);
        named<QCheckBox>(*dialog, "chkGitIgnore")->setChecked(filters.gitIgnore);
        named<QPushButton>(*dialog, ok ? "cmdOK" : "cmdCancel")->click();
        delete dialog;
    }
};

TEST_F(FileFiltersWindow, TheLastItemOfTheOptionsMenuSetsTheFiltersAndThePathCaptionSaysSo) {
    const QList<QAction*> items = window.menuBar()->actions()[1]->menu()->actions();
    ASSERT_GE(items.size(), 2);
    EXPECT_TRUE(items[items.size() - 2]->isSeparator());
    EXPECT_EQ(items.last()->text(), QString::fromUtf8("File Filters\u2026"));

    window.show();
    QLabel* caption = named<QLabel>(window, "Label4");
    const QString plain = caption->text();
    const QImage before = window.grab().toImage();

    choose(Filters{"*.md", " \n", false}, false); // Cancel changes nothing
    EXPECT_EQ(window.fileFilters(), Filters{});
    choose(Filters{"*.md", "vendor\n\ndist/", true});
    EXPECT_EQ(window.optionControls().text(OptionId::ExcludePatterns), "vendor\n\ndist/");
    EXPECT_EQ(window.adapter().check(OptionId::UseGitIgnore), Checked);
    EXPECT_EQ(caption->text(), plain + "   (Filtered)");
    EXPECT_EQ(caption->toolTip(), "Include: *.md\nExclude: vendor\nExclude: dist/\n"
                                  "Skip what .gitignore files exclude");
    EXPECT_GE(caption->width(), caption->sizeHint().width());
    EXPECT_LE(caption->geometry().right(), named<QPushButton>(window, "cmdBrowse")->x());

    // Blank patterns are none: the window is as it was.
    choose(Filters{"\n  ", "", false});
    EXPECT_EQ(caption->text(), plain);
    EXPECT_TRUE(caption->toolTip().isEmpty());
    EXPECT_EQ(window.grab().toImage(), before);
}

} // namespace
} // namespace zuk::test
