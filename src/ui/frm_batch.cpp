// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frm_batch.h"

#include "batch/batch_listing.h"
#include "ui/app_icon.h"
#include "ui/check_box.h"
#include "ui/path_chooser.h"
#include "ui/window_placement.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <array>

namespace zuk {

namespace {

using K = ControlKind;
using C = BatchControls;

// Label3 reads "| Pipe, && Ampersand, # Pound" where the doubled ampersand is a mnemonic
// escape; a plain-text label shows the single one as it is.
// clang-format off
const std::array kBatchControls = {
    ControlRow{"Label1", K::Label, nullptr, "ZUK Batch Processing", 240, 120, 3600, 285, 10, 0, true, true, ControlFont::Heading},
    into<&C::Text1>({"Text1", K::MultiLineText, nullptr, "", 240, 480, 8400, 4320, 11}),
    ControlRow{"Label4", K::Label, nullptr, "Path to file containing Batch Entries", 240, 4920, 3600, 195, 12},
    into<&C::tBatchPath>({"tBatchPath", K::LineText, nullptr, "", 240, 5160, 7905, 285, 0}),
    into<&C::cB>({"cB", K::Button, nullptr, "...", 8265, 5160, 375, 285, 1}),
    ControlRow{"Label2", K::Label, nullptr, "\"Search For\"  \"Replace With\" Delineation", 240, 5640, 3360, 195, 13},
    into<&C::cboDelin>({"cboDelin", K::Combo, nullptr, "", 3720, 5595, 855, 315, 2}),
    ControlRow{"Label3", K::Label, nullptr, "| Pipe, & Ampersand, # Pound", 4695, 5640, 2400, 195, 14},
    into<&C::chkQuote>({"chkQuote", K::Check, nullptr, "", 240, 6060, 255, 195, 3, 0}),
    ControlRow{"Label5", K::Label, nullptr, "( \" \" ) quoted items", 540, 6060, 1800, 195, 15},
    into<&C::cTest>({"cTest", K::Button, nullptr, "Test", 5505, 6540, 975, 495, 4}),
    into<&C::cBatch>({"cBatch", K::Button, nullptr, "Batch", 6585, 6540, 975, 495, 5}),
    into<&C::cExit>({"cExit", K::Button, nullptr, "Quit", 7665, 6540, 975, 495, 6}),
};
// clang-format on

} // namespace

const QString frmBatch::kFileFilter =
    QStringLiteral(" *.txt (Text Files)|*.txt| *.* (All Files)|*.*|");

const QString frmBatch::kHelpText = QStringLiteral(
    "ZUK Batch processing allows you to find and replace multiple \"Search For\" items and "
    "replace them with multiple \"Replace \r\n"
    "With\" items.  WARNING! This process is unforgiving.   If you make a mistake in your entries "
    "or search location there will not \r\n"
    "be an undue option.  You should practice with this feature and you should MAKE A BACKUP of "
    "your files.  First make all \r\n"
    "selection in ZUK as you normally would, then select batch processing and select your file,  "
    "delineation and if it is quoted text \r\n"
    "then click Batch,  ZUK will run through all items in the batch and prompt you when done.  "
    "Last waring, Be careful with this \r\n"
    "feature, order of replacement is important\r\n"
    "\r\n"
    "This process requires a file containing the \"Search For\" and \"Replace With\" items with a "
    "delineation (|, &, #) between them, \r\n"
    "One per line IE:\r\n"
    "\r\n"
    "\tFind This|replace with this\r\n"
    "\tAnother Item|Replaced with this\r\n"
    "\r\n"
    "If you utilize the \"\" quoted items check box,  you can use carriage returns in \"Search "
    "For\" and \"Replace With\", HOWEVER \r\n"
    "you can not have a quote (\") in the \"Search For\" and \"Replace With\" item IE:\r\n"
    "\r\n"
    "\t\"Find \r\n"
    "\tThis\"|\"replace\r\n"
    "\r\n"
    "\t with this\"\r\n"
    "\t\"Another Item\"|\"Replaced with this\"\r\n"
    "\r\n"
    "The \"Test\" button will show you what ZUK thinks you want to do.\r\n");

frmBatch::frmBatch(BatchMainWindow& mainWindow, RunState& state, Prompter* prompter,
                   YieldHook& yieldHook, PathChooser& chooser,
                   std::function<void(const QString&)> showListing)
    : m_prompter(prompter ? *prompter : m_ownBoxes), m_chooser(chooser),
      m_showListing(std::move(showListing)),
      m_run(*this, mainWindow, state, m_prompter, yieldHook) {
    setObjectName(QStringLiteral("frmBatch"));
    setWindowTitle(QStringLiteral("Batch Processing"));
    setWindowIcon(applicationIcon());
    useFixedBorder(*this);
    setAttribute(Qt::WA_DeleteOnClose);

    m_scale = buildControls(m_fit.page(), kBatchControls, kClientHeightTwips, m_c).scale;
    const QSize client(m_scale.px(kClientWidthTwips), m_scale.py(kClientHeightTwips));
    m_fit.page()->setFixedSize(client);
    m_fit.setDesignedSize(client);

    QPlainTextEdit* help = Text1();
    help->setPlainText(kHelpText);
    help->setReadOnly(true);
    // Not a Tab stop: the focus would only bounce on to the path, and Shift+Tab could then
    // never get past it.
    help->setFocusPolicy(Qt::ClickFocus);
    help->installEventFilter(this);

    QComboBox* delimiter = cboDelin();
    delimiter->addItems({QStringLiteral("|"), QStringLiteral("&"), QStringLiteral("#")});
    delimiter->setCurrentIndex(0);

    connect(m_c.cTest, &QPushButton::clicked, this, &frmBatch::cTest_Click);
    connect(m_c.cB, &QPushButton::clicked, this, &frmBatch::cB_Click);
    connect(m_c.cBatch, &QPushButton::clicked, this, [this] { (void)cBatch_Click(); });
    connect(m_c.cExit, &QPushButton::clicked, this, &frmBatch::cExit_Click);
    tBatchPath()->setFocus(Qt::OtherFocusReason);
}

void frmBatch::Form_Load(const QWidget& mainWindow) {
    m_fit.place(mainWindow.pos() - QPoint(0, m_scale.py(100)));
}

void frmBatch::cTest_Click() {
    const std::optional<QString> listing = testBatchFile(batchPath(), batchFormat(), m_prompter);
    if (listing && m_showListing)
        m_showListing(*listing);
}

void frmBatch::cB_Click() {
    QLineEdit* path = tBatchPath();
    QString startAt = existingFolderOf(path->text());
    if (!startAt.isEmpty() && QFileInfo(path->text()).isFile())
        startAt = path->text();
    const QString chosen = m_chooser.chooseFile(this, qtFileFilter(kFileFilter),
                                                startAt.isEmpty() ? m_cd1FileName : startAt);
    // The dialog keeps its last file name, so a cancel after an earlier choice brings it back.
    if (!chosen.isEmpty())
        m_cd1FileName = QDir::toNativeSeparators(chosen);
    if (!m_cd1FileName.isEmpty())
        path->setText(m_cd1FileName);
    else
        m_prompter.inform(QStringLiteral("No File Selected!"));
}

BatchOutcome frmBatch::cBatch_Click() {
    const BatchOutcome outcome = m_run.start();
    // A close asked for while the batch ran waited for it to stop.
    if (m_closeWhenIdle && !m_run.isActive())
        close();
    return outcome;
}

void frmBatch::cExit_Click() {
    close();
}

QString frmBatch::batchPath() const {
    return tBatchPath()->text();
}

BatchFormat frmBatch::batchFormat() const {
    return {m_c.cboDelin->currentText(), m_c.chkQuote->value() != Unchecked};
}

void frmBatch::enterBatchState() {
    setBatchState(true);
}

void frmBatch::leaveBatchState() {
    setBatchState(false);
}

void frmBatch::setBatchState(bool running) {
    m_c.cBatch->setText(running ? QStringLiteral("Cancel") : QStringLiteral("Batch"));
    for (QWidget* control : std::initializer_list<QWidget*>{m_c.cExit, m_c.cTest, m_c.cboDelin,
                                                            m_c.tBatchPath, m_c.cB, m_c.chkQuote})
        control->setEnabled(!running);
}

void frmBatch::closeEvent(QCloseEvent* event) {
    if (m_run.isActive()) {
        // The batch is under way below this event and uses the window: the close asks it to
        // stop after the entry in progress, and the window closes when it has.
        (void)cBatch_Click();
        m_closeWhenIdle = true;
        event->ignore();
        return;
    }
    event->accept();
}

bool frmBatch::eventFilter(QObject* watched, QEvent* event) {
    // Text1_GotFocus: the help text is never edited; the focus moves on to the path.
    if (watched == Text1() && event->type() == QEvent::FocusIn) {
        tBatchPath()->setFocus(Qt::OtherFocusReason);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace zuk
