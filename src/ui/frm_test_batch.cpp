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
using C = TestBatchControls;

// clang-format off
const std::array kTestBatchControls = {
    into<&C::RTB1>({"RTB1", K::RightBox, nullptr, "", 120, 120, 8655, 5775, 0}),
    into<&C::Command1>({"Command1", K::Button, nullptr, "Command1", 7560, 6015, 1215, 495, 1}),
};
// clang-format on

} // namespace

frmTestBatch::frmTestBatch() {
    setObjectName(QStringLiteral("frmTestBatch"));
    setWindowTitle(QStringLiteral("Batch Entries Test"));
    setWindowIcon(applicationIcon());
    useFixedBorder(*this);
    setAttribute(Qt::WA_DeleteOnClose);

    m_scale = buildControls(m_fit.page(), kTestBatchControls, kClientHeightTwips, m_c).scale;
    const QSize client(m_scale.px(kClientWidthTwips), m_scale.py(kClientHeightTwips));
    m_fit.page()->setFixedSize(client);
    m_fit.setDesignedSize(client);
    connect(Command1(), &QPushButton::clicked, this, &frmTestBatch::Command1_Click);
}

void frmTestBatch::showListing(const QString& listing) {
    RTB1()->setPlainText(listing); // CR LF breaks lines
}

void frmTestBatch::Command1_Click() {
    close();
}

} // namespace zuk
