// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt_prompter.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <gtest/gtest.h>

namespace zuk {
namespace {

// Looks at the box the prompter shows, then presses one of its buttons.
void inspectBox(std::function<void(QMessageBox*)> inspect) {
    QTimer::singleShot(0, [inspect] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        inspect(box);
    });
}

TEST(QtPrompter, ConfirmationIsYesNoWithNoByDefault) {
    QtPrompter prompter;
    inspectBox([](QMessageBox* box) {
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Warning"));
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
        EXPECT_EQ(box->text(), QStringLiteral("Sure?"));
        box->button(QMessageBox::Yes)->click();
    });
    EXPECT_TRUE(prompter.confirm(QStringLiteral("Sure?")));

    inspectBox([](QMessageBox* box) { box->button(QMessageBox::No)->click(); });
    EXPECT_FALSE(prompter.confirm(QStringLiteral("Sure?")));
}

TEST(QtPrompter, InformationCarriesTheApplicationTitle) {
    QtPrompter prompter;
    inspectBox([](QMessageBox* box) {
        EXPECT_EQ(box->windowTitle(), QStringLiteral("ZUK (Zukanor)"));
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        EXPECT_EQ(box->text(), QStringLiteral("ZUK Done"));
        // Wide enough for a title bar to show the title: bold, an icon and three buttons.
        QFont bold = box->font();
        bold.setBold(true);
        const int bar = box->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, box);
        EXPECT_GE(box->width(), QFontMetrics(bold).horizontalAdvance(box->windowTitle()) + 4 * bar);
        box->button(QMessageBox::Ok)->click();
    });
    prompter.inform(QStringLiteral("ZUK Done"));
}

TEST(QtPrompter, AFileFailureNamesItsFileOnceOnALineBelow) {
    QtPrompter prompter;
    const struct {
        QString text, subject, shown;
    } cases[] = {
        {"ERROR: 7 Out of memory", "/site/a\rb.htm", "ERROR: 7 Out of memory\n/site/a\\rb.htm"},
        {"Too many in /site", "/site", "Too many in /site"},
        {"ZUK Done", "", "ZUK Done"},
    };
    for (const auto& c : cases) {
        inspectBox([&c](QMessageBox* box) {
            EXPECT_EQ(box->text(), c.shown);
            box->button(QMessageBox::Ok)->click();
        });
        prompter.inform(c.text, c.subject);
    }
}

} // namespace
} // namespace zuk
