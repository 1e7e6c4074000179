#pragma once

#include "engine/prompter.h"

#include <QPointer>
#include <QWidget>

namespace zuk {

// Message boxes shown with QMessageBox, over the given window when there is one.
class QtPrompter final : public Prompter {
public:
    explicit QtPrompter(QWidget* owner = nullptr) : m_owner(owner) {}
    void setOwner(QWidget* owner) { m_owner = owner; }
    MessageResult show(const Message& message) override;

private:
    QPointer<QWidget> m_owner;
};

} // namespace zuk
