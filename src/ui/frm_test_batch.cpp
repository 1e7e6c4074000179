// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frm_test_batch.h"

#include "ui/app_icon.h"
#include "ui/window_placement.h"

#include <QPlainTextEdit>
#include <QPushButton>

#include <array>

namespace zuk {

namespace {

using K = ControlKind;

// clang-format off
const std::array kTestBatchControls = {
    ControlRow{"RTB1", K::RightBox, nullptr, "", 120, 120, 8655, 5775, 0},
    ControlRow{"Command1", K::Button, nullptr, "Command1", 7560, 6015, 1215, 495, 1},
};
// clang-format on

} // namespace

frmTestBatch::frmTestBatch() {
    setObjectName(QStringLiteral("frmTestBatch"));
    setWindowTitle(QStringLiteral("Batch Entries Test"));
    setWindowIcon(applicationIcon());
    useFixedBorder(*this);
    setAttribute(Qt::WA_DeleteOnClose);

    BuiltControls built = buildControls(m_fit.page(), kTestBatchControls, kClientHeightTwips);
    m_controls = std::move(built.widgets);
    m_scale = built.scale;
    const QSize client(m_scale.px(kClientWidthTwips), m_scale.py(kClientHeightTwips));
    m_fit.page()->setFixedSize(client);
    m_fit.setDesignedSize(client);
    connect(Command1(), &QPushButton::clicked, this, &frmTestBatch::Command1_Click);
}

QPlainTextEdit* frmTestBatch::RTB1() const {
    return qobject_cast<QPlainTextEdit*>(m_controls.value(QStringLiteral("RTB1")));
}

QPushButton* frmTestBatch::Command1() const {
    return qobject_cast<QPushButton*>(m_controls.value(QStringLiteral("Command1")));
}

void frmTestBatch::showListing(const QString& listing) {
    RTB1()->setPlainText(listing); // CR LF breaks lines
}

void frmTestBatch::Command1_Click() {
    close();
}

} // namespace zuk
