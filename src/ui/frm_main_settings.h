#pragma once

#include "app/settings_controls.h"

namespace zuk {

class frmMain;

// The main window's controls as the settings file reads and writes them. Values go through
// the controls themselves, so each change runs the window's click reaction.
class FrmMainSettings final : public SettingsControls {
public:
    explicit FrmMainSettings(frmMain& window) : m_window(window) {}

    bool optionValue(const QString& name) const override;
    void setOptionValue(const QString& name, bool on) override;
    CheckValue checkValue(const QString& name) const override;
    void setCheckValue(const QString& name, CheckValue value) override;
    QString text(const QString& name) const override;
    void setText(const QString& name, const QString& text) override;
    void DisableControls(const QString& WhatControls, bool OnOff) override;

private:
    frmMain& m_window;
};

} // namespace zuk
