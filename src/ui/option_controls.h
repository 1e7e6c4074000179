// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/run/run_option_table.h"

#include <array>

class QLineEdit;
class QRadioButton;
class QWidget;

namespace zuk {

class CheckBox;
class MultiLineBox;

// The main window's control of each run option, bound once as the window is built, read and
// written by id.
class OptionControls {
public:
    // Binds the control that the window's control table made for `row`'s control; a control
    // of another kind than the option's stops the window's construction.
    void bind(const RunOptionRow& row, QWidget* control);
    // Throws unless every option has its control.
    void checkComplete() const;

    CheckValue check(OptionId id) const;
    QString text(OptionId id) const;
    // A check box's value; for an option button, Checked selects it and anything else does
    // nothing (turning one off by itself means nothing: another one is turned on).
    void setCheck(OptionId id, CheckValue value) const;
    void setText(OptionId id, const QString& text) const;

    QRadioButton* optionButton(OptionId id) const { return at(id).option; }
    CheckBox* checkBox(OptionId id) const { return at(id).check; }

private:
    struct Control {
        QRadioButton* option = nullptr;
        CheckBox* check = nullptr;
        QLineEdit* line = nullptr;
        MultiLineBox* lines = nullptr;
    };
    const Control& at(OptionId id) const { return m_controls[std::size_t(id)]; }

    std::array<Control, kOptionCount> m_controls{};
};

} // namespace zuk
