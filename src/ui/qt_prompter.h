// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/run/prompter.h"

#include <QPointer>
#include <QWidget>

#include <functional>

namespace zuk {

// Message boxes shown with QMessageBox. Each box belongs to the window whose command asks:
// it stands over that window, and that window is in front again when the box closes. A window
// not yet on the screen (a viewer that reads its file before it opens) lends its boxes to the
// active window, the one whose command is opening it.
class QtPrompter final : public Prompter {
public:
    // The window that asks, looked up afresh for every box.
    using Owner = std::function<QWidget*()>;

    explicit QtPrompter(QWidget* owner = nullptr);
    explicit QtPrompter(Owner owner) : m_owner(std::move(owner)) {}
    MessageResult show(const Message& message) override;

private:
    static MessageResult showOver(QWidget* owner, const Message& message);

    Owner m_owner;
};

} // namespace zuk
