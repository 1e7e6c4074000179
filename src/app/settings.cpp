// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings.h"

#include "app/ini_document.h"

#include <algorithm>
#include <exception>

namespace zuk {

namespace {

const QString Section = QStringLiteral("Options");
const QString One = QStringLiteral("1");
const QString Zero = QStringLiteral("0");

using Kind = SettingRow::Kind;
using S = MainSettings;

SettingRow option(const char* key, const QString& fallback, bool S::*field) {
    return {QString::fromLatin1(key), fallback, Kind::Option, field};
}
SettingRow check(const char* key, const QString& fallback, CheckValue S::*field) {
    return {QString::fromLatin1(key), fallback, Kind::Check, nullptr, field};
}
SettingRow text(const char* key, const QString& fallback, QString S::*field) {
    return {QString::fromLatin1(key), fallback, Kind::Text, nullptr, nullptr, field};
}

std::vector<SettingRow> makeRows() {
    std::vector<SettingRow> rows = {
        option("OptText", Zero, &S::optText), option("OptFile", Zero, &S::optFile),
        option("OptAll", One, &S::optAll),    check("ChkSub", Zero, &S::subDirectories),
        check("AllType", One, &S::allTypes),
    };
    std::vector<int> types(kFileTypes.size());
    for (std::size_t i = 0; i < types.size(); ++i)
        types[i] = int(i);
    std::sort(types.begin(), types.end(),
              [](int a, int b) { return kFileTypes[a].savedPlace < kFileTypes[b].savedPlace; });
    for (int type : types) {
        SettingRow row{QString::fromLatin1(kFileTypes[type].settingsKey), Zero, Kind::Check};
        row.fileType = type;
        rows.push_back(row);
    }
    rows.insert(rows.end(), {
                                check("THS", Zero, &S::customType),
                                // An empty custom extension comes back as "0".
                                text("THST", Zero, &S::customExtension),
                                check("BU", Zero, &S::makeBackups),
                                check("Case", Zero, &S::caseSensitive),
                                check("LOG", Zero, &S::logChanges),
                                check("SERONL", Zero, &S::searchOnly),
                                text("Path", QString(), &S::path),
                                text("SStr", QString(), &S::searchText),
                                text("RStr", QString(), &S::replaceText),
                                check("CRLF", Zero, &S::doAllCrlf),
                                check("SPLT", Zero, &S::keepSpaceLeft),
                                check("SPRT", Zero, &S::keepSpaceRight),
                            });
    return rows;
}

QString read(const IniDocument& document, const SettingRow& row) {
    try {
        return document.value(Section, row.key, row.fallback);
    } catch (const std::exception&) {
        return QString();
    }
}

} // namespace

CheckValue& SettingRow::checkIn(MainSettings& settings) const {
    return fileType >= 0 ? settings.fileTypes[std::size_t(fileType)] : settings.*check;
}

const std::vector<SettingRow>& settingRows() {
    static const std::vector<SettingRow> rows = makeRows();
    return rows;
}

Status SaveSettings(const QString& iniPath, const MainSettings& settings) {
    // A file that exists but can't be read is left alone rather than replaced.
    Result<IniDocument> loaded = IniDocument::load(iniPath);
    if (!loaded)
        return loaded.error();
    IniDocument& document = loaded.value();

    MainSettings saved = settings;
    saved.optFile = !settings.optText && settings.optFile;
    saved.optAll = !settings.optText && !saved.optFile;
    for (const SettingRow& row : settingRows()) {
        QString value;
        switch (row.kind) {
        case Kind::Option:
            value = saved.*row.option ? One : Zero;
            break;
        case Kind::Check:
            value = QString::number(row.checkIn(saved));
            break;
        case Kind::Text:
            value = saved.*row.text;
            break;
        }
        document.setValue(Section, row.key, value);
    }
    return document.save(iniPath);
}

MainSettings LoadSettings(const QString& iniPath) {
    Result<IniDocument> loaded = IniDocument::load(iniPath);
    // An unreadable file counts as a missing one: every setting takes its default.
    const IniDocument document = loaded ? std::move(loaded).value() : IniDocument();
    MainSettings settings;
    for (const SettingRow& row : settingRows()) {
        const QString value = read(document, row);
        bool ok = false;
        switch (row.kind) {
        case Kind::Option: {
            // Any number other than zero turns the option on; anything else takes the default.
            const qlonglong number = value.toLongLong(&ok);
            settings.*row.option = (ok ? number : row.fallback.toLongLong()) != 0;
            break;
        }
        case Kind::Check: {
            // Only 0, 1 and 2 are check box states; anything else takes the default.
            const int number = value.toInt(&ok);
            const bool usable = ok && number >= Unchecked && number <= Greyed;
            row.checkIn(settings) = CheckValue(usable ? number : row.fallback.toInt());
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
