// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/check_box.h"

namespace zuk {

CheckBox::CheckBox(QWidget* parent) : QCheckBox(parent) {
    // Tri-state so that the greyed value can be shown; nextCheckState keeps clicks two-state.
    setTristate(true);
}

CheckValue CheckBox::value() const {
    switch (checkState()) {
    case Qt::Unchecked:
        return Unchecked;
    case Qt::PartiallyChecked:
        return Greyed;
    case Qt::Checked:
        break;
    }
    return Checked;
}

void CheckBox::setValue(CheckValue value) {
    if (value == Unchecked)
        setCheckState(Qt::Unchecked);
    else if (value == Greyed)
        setCheckState(Qt::PartiallyChecked);
    else
        setCheckState(Qt::Checked);
}

void CheckBox::nextCheckState() {
    // A greyed box becomes checked when clicked, like a clear one.
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

} // namespace zuk
