// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/caption_button.h"

#include <QStyle>
#include <QStyleOptionButton>

namespace zuk {

QSize CaptionButton::sizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    const QSize text = metrics.size(Qt::TextShowMnemonic, this->text());
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    // The frame on both sides plus a little air so the caption never touches it.
    return {text.width() + 2 * frame + 6, qMax(text.height(), metrics.height()) + 2 * frame + 2};
}

} // namespace zuk
