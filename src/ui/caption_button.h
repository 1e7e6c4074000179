// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPushButton>

namespace zuk {

// A push button whose size hint is what its caption needs. Some styles pad every text button
// to a minimum width, which the window's small ">" and "..." buttons are not designed for.
class CaptionButton final : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
};

} // namespace zuk
