// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings.h"

#include "app/ini_document.h"
#include "engine/run/run_option_table.h"

#include <exception>

namespace zuk {

namespace {

const QString Section = QStringLiteral("Options");
const QString One = QStringLiteral("1");
const QString Zero = QStringLiteral("0");

using Kind = OptionKind;

QString read(const IniDocument& document, const RunOptionRow& row) {
    try {
        return document.value(Section, QLatin1String(row.settingsKey), QLatin1String(row.fallback));
    } catch (const std::exception&) {
        return QString();
    }
}

} // namespace

Status SaveSettings(const QString& iniPath, const MainSettings& settings) {
    // A file that exists but can't be read is left alone rather than replaced.
    Result<IniDocument> loaded = IniDocument::load(iniPath);
    if (!loaded)
        return loaded.error();
    IniDocument& document = loaded.value();

    MainSettings saved = settings;
    saved.optFile = !settings.optText && settings.optFile;
    saved.optAll = !settings.optText && !saved.optFile;
    for (const RunOptionRow& row : runOptionTable()) {
        QString value;
        switch (row.kind) {
        case Kind::OptionButton:
            value = saved.*row.option ? One : Zero;
            break;
        case Kind::Check:
            value = QString::number(row.checkIn(saved));
            break;
        case Kind::Text:
            value = saved.*row.text;
            break;
        }
        document.setValue(Section, QLatin1String(row.settingsKey), value);
    }
    return document.save(iniPath);
}

MainSettings LoadSettings(const QString& iniPath) {
    Result<IniDocument> loaded = IniDocument::load(iniPath);
    // An unreadable file counts as a missing one: every setting takes its default.
    const IniDocument document = loaded ? std::move(loaded).value() : IniDocument();
    MainSettings settings;
    for (const RunOptionRow& row : runOptionTable()) {
        const QString value = read(document, row);
        bool ok = false;
        switch (row.kind) {
        case Kind::OptionButton: {
            // Any number other than zero turns the option on; anything else takes the default.
            const qlonglong number = value.toLongLong(&ok);
            settings.*row.option = (ok ? number : QByteArray(row.fallback).toLongLong()) != 0;
            break;
        }
        case Kind::Check: {
            // Only 0, 1 and 2 are check box states; anything else takes the default.
            const int number = value.toInt(&ok);
            const bool usable = ok && number >= Unchecked && number <= Greyed;
            row.checkIn(settings) = CheckValue(usable ? number : QByteArray(row.fallback).toInt());
            break;
        }
        case Kind::Text:
            settings.*row.text = value;
            break;
        }
    }
    return settings;
}

} // namespace zuk
