// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frm_about.h"

#include "ui/app_icon.h"
#include "ui/build_info.h"

#include <QDesktopServices>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <array>

namespace zuk {

namespace {

using K = ControlKind;
using C = AboutControls;

// clang-format off
const std::array kAboutControls = {
    into<&C::Label4>({"Label4", K::Label, nullptr, "Zukanor", 112, 240, 2910, 240, 1, 0, true, false, ControlFont::DialogTitle}),
    into<&C::Label3>({"Label3", K::Label, nullptr, "", 645, 600, 1845, 195, 2, 0, true, true}),
    ControlRow{"Label2", K::Label, nullptr, "By", 1477, 840, 180, 195, 3, 0, true, true},
    ControlRow{"Label1", K::Label, nullptr, "The Zukanor developers", 877, 1080, 1380, 195, 4, 0, true, true},
    into<&C::Label5>({"Label5", K::Label, nullptr, build::kMakerName, 720, 1320, 1695, 195, 5, 0, true, true}),
    into<&C::Label6>({"Label6", K::Label, nullptr, "", 1072, 1560, 990, 195, 6, 0, true, true}),
    ControlRow{"lblLicence", K::Label, nullptr, "Licence: " ZUK_LICENCE, 720, 1800, 1695, 195, 7, 0, true, true},
    into<&C::cmdOK>({"cmdOK", K::Button, nullptr, "OK", 1080, 2160, 975, 255, 0}),
};
// clang-format on

} // namespace

frmAbout::frmAbout(UrlOpener openUrl, QWidget* parent)
    : QDialog(parent),
      m_openUrl(openUrl ? std::move(openUrl) : UrlOpener(&QDesktopServices::openUrl)) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About ZUK"));
    setWindowIcon(applicationIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    const BuiltControls built =
        buildControls(m_fit.page(), kAboutControls, kClientHeightTwips, m_c);
    m_scale = built.scale;
    m_c.Label3->setText(releaseLine());
    m_c.Label6->setText(QStringLiteral("Tel. ") + QString::fromUtf8(build::kMakerPhone));
    m_c.Label4->setAlignment(Qt::AlignCenter);

    QLabel* link = m_c.Label5;
    QFont underlined = link->font();
    underlined.setUnderline(true);
    link->setFont(underlined);
    QPalette blue = link->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    link->setPalette(blue);
    link->setCursor(Qt::PointingHandCursor);
    link->setToolTip(makerUrl().toString());
    link->installEventFilter(this);

    // The designed positions centre each line on the box; the lines are centred again with
    // this font's widths, and the box widens when a line (a long maker's name) needs it.
    int width = m_scale.px(kClientWidthTwips);
    for (std::size_t i = 0; i < kAboutControls.size(); ++i) {
        QWidget* widget = built.inRowOrder[i];
        if (kAboutControls[i].autoSize)
            widget->resize(widget->sizeHint());
        width = std::max(width, widget->width() + 2 * m_scale.px(112));
    }
    for (QWidget* widget : built.inRowOrder)
        widget->move((width - widget->width()) / 2, widget->y());
    const QSize client(width, m_scale.py(kClientHeightTwips));
    m_fit.page()->setFixedSize(client);
    m_fit.setDesignedSize(client);

    m_c.cmdOK->setDefault(true);
    connect(m_c.cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
}

QString frmAbout::releaseLine() {
    return QStringLiteral("Version %1, released %2")
        .arg(QString::fromUtf8(build::kVersion), QString::fromUtf8(build::kReleaseDate));
}

QUrl frmAbout::makerUrl() {
    return QUrl(QString::fromUtf8(build::kMakerUrl));
}

void frmAbout::Form_Load(const QScreen* screen) {
    if (!screen)
        return;
    const QRect whole = screen->geometry();
    m_fit.place(whole.topLeft() +
                QPoint(whole.width() / 2 - m_scale.px(200), whole.height() / 2 - m_scale.py(200)));
}

void frmAbout::cmdOK_Click() {
    close();
}

void frmAbout::Label5_Click() {
    (void)m_openUrl(makerUrl());
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_c.Label5 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Label5_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace zuk
