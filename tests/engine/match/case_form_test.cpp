// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/match/case_form.h"

#include <gtest/gtest.h>

using namespace zuk;

TEST(CaseForm, ReadsTheFormOfAFind) {
    const std::pair<const char16_t*, CaseForm> cases[] = {
        {u"cat", CaseForm::Lower},
        {u"hello world", CaseForm::Lower},
        {u"\u00e9t\u00e9 2", CaseForm::Lower},
        {u"CAT", CaseForm::Upper},
        {u"A", CaseForm::Upper},
        {u"\u00c9T\u00c9", CaseForm::Upper},
        {u"Cat", CaseForm::Capitalized},
        {u"'Hello world'", CaseForm::Capitalized},
        {u"\u00c9t\u00e9", CaseForm::Capitalized},
        {u"cAT", CaseForm::AsTyped},
        {u"CaT", CaseForm::AsTyped},
        {u"Hello World", CaseForm::AsTyped},
        {u"123 _", CaseForm::AsTyped},
        {u"\u732b", CaseForm::AsTyped}, // a letter without case
    };
    for (const auto& [find, form] : cases)
        EXPECT_EQ(caseFormOf(QString::fromUtf16(find)), form)
            << QString::fromUtf16(find).toStdString();
}

TEST(CaseForm, PutsAReplacementInThatForm) {
    struct Case {
        QList<QString> replacement;
        CaseForm form;
        QList<QString> expected;
    };
    const Case cases[] = {
        {{"Big Dog"}, CaseForm::Lower, {"big dog"}},
        {{"Big Dog"}, CaseForm::Upper, {"BIG DOG"}},
        {{"stra\u00dfe"}, CaseForm::Upper, {"STRASSE"}},
        {{"bIG dOG"}, CaseForm::Capitalized, {"Big dog"}},
        {{"\u00e9LAN"}, CaseForm::Capitalized, {"\u00c9lan"}},
        {{" 1x"}, CaseForm::Capitalized, {" 1X"}},
        // Pieces between line breaks: the first letter of the whole is the capital.
        {{"", "dOG", "CAT"}, CaseForm::Capitalized, {"", "Dog", "cat"}},
        {{"dOg"}, CaseForm::AsTyped, {"dOg"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(inCaseForm(c.replacement, c.form).join(u'|').toStdString(),
                  c.expected.join(u'|').toStdString());
}
