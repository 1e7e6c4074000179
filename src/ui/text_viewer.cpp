// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/text_viewer.h"

#include "engine/files/atomic_file.h"
#include "engine/run/prompter.h"
#include "engine/text/text_codec.h"
#include "ui/app_icon.h"
#include "ui/print_dialog.h"

#include <QAction>
#include <QFileInfo>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPlainTextEdit>

namespace zuk {

TextViewer::TextViewer(const QString& name, const QString& caption, const QString& boxName,
                       QSize clientTwips, const TwipScale& scale, Prompter* prompter,
                       PrintDialog& printDialog)
    : m_box(new QPlainTextEdit(this)), m_scale(scale),
      m_prompter(prompter ? *prompter : m_ownBoxes), m_printDialog(printDialog) {
    setObjectName(name);
    setWindowTitle(caption);
    setWindowIcon(applicationIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    m_box->setObjectName(boxName);
    m_box->setReadOnly(true);
    // Log lines and the help's examples line up in columns.
    m_box->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setCentralWidget(m_box);
    m_fit.setDesignedSize(QSize(scale.px(clientTwips.width()),
                                scale.py(clientTwips.height()) + menuBar()->sizeHint().height()));
}

void TextViewer::keyPressEvent(QKeyEvent* event) {
    // Esc closes a viewer as it closes the About box; the read-only box passes the key on.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

QAction* TextViewer::addCommand(const char* name, const QString& caption,
                                std::function<void()> handler) {
    QAction* action = menuBar()->addAction(caption);
    action->setObjectName(QString::fromUtf8(name));
    connect(action, &QAction::triggered, this, [handler = std::move(handler)] { handler(); });
    return action;
}

void TextViewer::loadFile(const QString& path, const QString& missingText) {
    m_box->clear();
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        m_prompter.inform(missingText, path);
        return;
    }
    const Result<LoadedBytes> bytes = readWholeFile(path);
    if (!bytes) {
        m_prompter.inform(bytes.error().message(), path);
        return;
    }
    const Result<DecodedText> decoded = decodeText(bytes.value().bytes);
    if (!decoded) {
        m_prompter.inform(decoded.error().message(), path);
        return;
    }
    m_box->setPlainText(decoded.value().text); // CR LF, LF and CR all break lines
}

void TextViewer::mnuExit_Click() {
    close();
}

void TextViewer::mnuPrint_Click() {
    printView(*m_box, m_printDialog, this);
}

} // namespace zuk
