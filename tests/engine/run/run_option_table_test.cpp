// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/run_option_table.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace zuk;

namespace {

// Each option read by id is its own field and no other: set one to a value none has by
// default, and only that id reads it.
TEST(RunOptionTable, EachIdReadsAndWritesItsOwnFieldOnly) {
    QSet<QString> controls;
    for (const RunOptionRow& row : runOptionTable()) {
        EXPECT_EQ(&runOption(row.id), &row);
        EXPECT_FALSE(controls.contains(row.control)) << row.control;
        controls.insert(row.control);
        ValueRunOptions options;
        const ValueRunOptions before = options;
        if (row.kind == OptionKind::Text)
            options.values.*row.text = QStringLiteral("\x01");
        else
            options.setCheck(row.id, row.kind == OptionKind::OptionButton ? Checked : Greyed);
        for (const RunOptionRow& other : runOptionTable()) {
            const bool same = other.id == row.id;
            if (other.kind == OptionKind::Text)
                EXPECT_EQ(options.text(other.id) == QStringLiteral("\x01"), same) << other.control;
            else
                EXPECT_EQ(options.check(other.id) != before.check(other.id), same)
                    << row.control << " " << other.control;
        }
    }
    EXPECT_EQ(std::size_t(controls.size()), kOptionCount);
}

TEST(RunOptionTable, TheNamedReadsAreTheReadsById) {
    ValueRunOptions options;
    options.values.optFile = true;
    options.values.fileTypes[2] = Greyed;
    options.values.searchText = QStringLiteral("s");
    options.setMakeBackups(Checked);
    EXPECT_EQ(options.mode(), RunMode::SelectedFile);
    EXPECT_EQ(options.fileTypes()[2], Greyed);
    EXPECT_EQ(options.check(fileTypeOption(2)), Greyed);
    EXPECT_EQ(options.searchText(), QStringLiteral("s"));
    EXPECT_EQ(options.values.makeBackups, Checked);
    EXPECT_EQ(runOptionShownBy("chkBackUp")->id, OptionId::MakeBackups);
    EXPECT_EQ(runOptionShownBy("cmdStart"), nullptr);
}

} // namespace
