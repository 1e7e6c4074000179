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

// clang-format off
const std::array kAboutControls = {
    ControlRow{"Label4", K::Label, nullptr, "Zukanor", 112, 240, 2910, 240, 1, 0, true, false, ControlFont::DialogTitle},
    ControlRow{"Label3", K::Label, nullptr, "", 645, 600, 1845, 195, 2, 0, true, true},
    ControlRow{"Label2", K::Label, nullptr, "By", 1477, 840, 180, 195, 3, 0, true, true},
    ControlRow{"Label1", K::Label, nullptr, "The Zukanor developers", 877, 1080, 1380, 195, 4, 0, true, true},
    ControlRow{"Label5", K::Label, nullptr, build::kMakerName, 720, 1320, 1695, 195, 5, 0, true, true},
    ControlRow{"Label6", K::Label, nullptr, "", 1072, 1560, 990, 195, 6, 0, true, true},
    ControlRow{"lblLicence", K::Label, nullptr, "Licence: " ZUK_LICENCE, 720, 1800, 1695, 195, 7, 0, true, true},
    ControlRow{"cmdOK", K::Button, nullptr, "OK", 1080, 2160, 975, 255, 0},
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

    BuiltControls built = buildControls(m_fit.page(), kAboutControls, kClientHeightTwips);
    m_controls = std::move(built.widgets);
    m_scale = built.scale;
    label(QStringLiteral("Label3"))->setText(releaseLine());
    label(QStringLiteral("Label6"))
        ->setText(QStringLiteral("Tel. ") + QString::fromUtf8(build::kMakerPhone));
    label(QStringLiteral("Label4"))->setAlignment(Qt::AlignCenter);

    QLabel* link = label(QStringLiteral("Label5"));
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
    for (const ControlRow& row : kAboutControls) {
        QWidget* widget = m_controls.value(QString::fromUtf8(row.name));
        if (row.autoSize)
            widget->resize(widget->sizeHint());
        width = std::max(width, widget->width() + 2 * m_scale.px(112));
    }
    for (QWidget* widget : std::as_const(m_controls))
        widget->move((width - widget->width()) / 2, widget->y());
    const QSize client(width, m_scale.py(kClientHeightTwips));
    m_fit.page()->setFixedSize(client);
    m_fit.setDesignedSize(client);

    auto* ok = cmdOK();
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
}

QLabel* frmAbout::label(const QString& name) const {
    return qobject_cast<QLabel*>(m_controls.value(name));
}

QPushButton* frmAbout::cmdOK() const {
    return qobject_cast<QPushButton*>(m_controls.value(QStringLiteral("cmdOK")));
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
    if (watched == label(QStringLiteral("Label5")) && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Label5_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace zuk
