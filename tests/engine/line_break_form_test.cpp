#include "engine/headless_run_window.h"
#include "engine/replacement_routines.h"
#include "support/function_yield.h"
#include "support/scripted_prompter.h"
#include "support/temp_files.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zuk;
using namespace zuk::test;

namespace {

class LineBreakForm : public ::testing::Test {
protected:
    ValueRunOptions options;
    RunState state;
    HeadlessRunWindow window;
    ScriptedPrompter prompter;
    FunctionYield yield;
    ReplacementRoutines routines{options, state, window, prompter, yield};
};

} // namespace

// A later entry finds what an earlier one inserted and turns it back: the text ends as it
// began, and is not written.
TEST_F(LineBreakForm, ATextTurnedBackByTheVariantsIsNotChanged) {
    QTemporaryDir dir;
    const QString path = dir.filePath("blanks.txt");
    const QByteArray blanks =
        QByteArray(5, ' ') + '\r' + QByteArray(4, ' ') + '\r' + QByteArray(6, ' ');
    writeBytes(path, blanks);
    EXPECT_EQ(routines.CleanFileCRLF(path, QString(8, u' '), "    \r   "), 7);
    EXPECT_EQ(window.buffer.text(), QString::fromLatin1(blanks));
    EXPECT_FALSE(window.buffer.isModified());
}
