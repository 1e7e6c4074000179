#include "ui/frm_main_settings.h"

#include "ui/check_box.h"
#include "ui/frm_main.h"
#include "ui/multi_line_box.h"

#include <QLineEdit>
#include <QRadioButton>

namespace zuk {

bool FrmMainSettings::optionValue(const QString& name) const {
    return m_window.optionButton(name)->isChecked();
}

void FrmMainSettings::setOptionValue(const QString& name, bool on) {
    // Turning one option of the group off by itself means nothing: another one is turned on.
    if (on)
        m_window.optionButton(name)->setChecked(true);
}

CheckValue FrmMainSettings::checkValue(const QString& name) const {
    return m_window.checkBox(name)->value();
}

void FrmMainSettings::setCheckValue(const QString& name, CheckValue value) {
    m_window.checkBox(name)->setValue(value);
}

QString FrmMainSettings::text(const QString& name) const {
    if (MultiLineBox* box = m_window.textBox(name))
        return box->text();
    return m_window.lineBox(name)->text();
}

void FrmMainSettings::setText(const QString& name, const QString& text) {
    if (MultiLineBox* box = m_window.textBox(name))
        box->setText(text);
    else
        m_window.lineBox(name)->setText(text);
}

void FrmMainSettings::DisableControls(const QString& WhatControls, bool OnOff) {
    m_window.DisableControls(WhatControls, OnOff);
}

} // namespace zuk
