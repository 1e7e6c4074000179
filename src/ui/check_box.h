// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/check_value.h"

#include <QCheckBox>

namespace zuk {

// A check box whose value is a check value: 0 clear, 1 checked, 2 greyed. A click only ever
// gives 0 or 1; the greyed state comes from code (the settings file).
class CheckBox final : public QCheckBox {
    Q_OBJECT
public:
    explicit CheckBox(QWidget* parent = nullptr);

    CheckValue value() const;
    // Any value other than 0, 1 or 2 is taken as 1.
    void setValue(CheckValue value);

protected:
    void nextCheckState() override;
};

} // namespace zuk
