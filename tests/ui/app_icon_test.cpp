// SPDX-License-Identifier: GPL-3.0-or-later
// The drawn window icon and the installed icon, rendered from data/icons/zukanor.svg, are the
// same picture: a change to one that isn't made to the other shows here.

#include "ui/app_icon.h"

#include <QImage>
#include <gmock/gmock.h>

#include <cstdlib>

namespace zuk::test {
namespace {

TEST(AppIcon, DrawnIconMatchesTheInstalledOne) {
    const QImage installed =
        QImage(QStringLiteral(ZUK_ICON_PNG32)).convertToFormat(QImage::Format_ARGB32);
    const QImage drawn = drawnApplicationIcon().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(installed.isNull()) << ZUK_ICON_PNG32;
    ASSERT_EQ(drawn.size(), installed.size());

    // Two renderers antialias edges differently; a moved shape or another colour changes
    // whole areas.
    int differing = 0;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            const QRgb a = drawn.pixel(x, y);
            const QRgb b = installed.pixel(x, y);
            const int distance =
                std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                          std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
            if (distance > 64)
                ++differing;
        }
    }
    EXPECT_LE(differing, 8) << "of " << drawn.width() * drawn.height() << " pixels";
}

} // namespace
} // namespace zuk::test
