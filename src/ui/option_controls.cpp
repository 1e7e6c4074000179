// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/option_controls.h"

#include "ui/check_box.h"
#include "ui/multi_line_box.h"

#include <QLineEdit>
#include <QRadioButton>

#include <stdexcept>
#include <string>

namespace zuk {

void OptionControls::bind(const RunOptionRow& row, QWidget* control) {
    Control& bound = m_controls[std::size_t(row.id)];
    switch (row.kind) {
    case OptionKind::OptionButton:
        bound.option = qobject_cast<QRadioButton*>(control);
        break;
    case OptionKind::Check:
        bound.check = qobject_cast<CheckBox*>(control);
        break;
    case OptionKind::Text:
        bound.line = qobject_cast<QLineEdit*>(control);
        bound.lines = qobject_cast<MultiLineBox*>(control);
        break;
    }
    if (!bound.option && !bound.check && !bound.line && !bound.lines)
        throw std::logic_error(std::string("the control ") + row.control +
                               " can't show the option " + row.settingsKey);
}

void OptionControls::checkComplete() const {
    for (const RunOptionRow& row : runOptionTable()) {
        const Control& bound = at(row.id);
        if (!bound.option && !bound.check && !bound.line && !bound.lines)
            throw std::logic_error(std::string("the window has no control ") + row.control);
    }
}

CheckValue OptionControls::check(OptionId id) const {
    const Control& c = at(id);
    if (c.option)
        return c.option->isChecked() ? Checked : Unchecked;
    return c.check->value();
}

QString OptionControls::text(OptionId id) const {
    const Control& c = at(id);
    return c.line ? c.line->text() : c.lines->text();
}

void OptionControls::setCheck(OptionId id, CheckValue value) const {
    const Control& c = at(id);
    if (c.option) {
        if (value == Checked)
            c.option->setChecked(true);
    } else {
        c.check->setValue(value);
    }
}

void OptionControls::setText(OptionId id, const QString& text) const {
    const Control& c = at(id);
    if (c.line)
        c.line->setText(text);
    else
        c.lines->setText(text);
}

} // namespace zuk
