#pragma once

#include "engine/check_value.h"

#include <QString>

namespace zuk {

// The main window's controls as the settings file sees them, addressed by control name
// ("optText", "chkSub", "txtPath", ...). Setting a value must behave like a user's click, so
// the window's reactions to the change run.
class SettingsControls {
public:
    virtual ~SettingsControls() = default;

    virtual bool optionValue(const QString& name) const = 0;
    virtual void setOptionValue(const QString& name, bool on) = 0;
    virtual CheckValue checkValue(const QString& name) const = 0;
    virtual void setCheckValue(const QString& name, CheckValue value) = 0;
    virtual QString text(const QString& name) const = 0;
    virtual void setText(const QString& name, const QString& text) = 0;
    virtual void DisableControls(const QString& WhatControls, bool OnOff) = 0;
};

} // namespace zuk
