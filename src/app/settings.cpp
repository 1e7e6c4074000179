#include "app/settings.h"

#include "app/ini_document.h"

#include <exception>

namespace zuk {

namespace {

const QString Section = QStringLiteral("Options");

enum class Kind { Check, Text };

struct SavedKey {
    const char* key;
    const char* control;
    Kind kind;
};

// The keys after the three options, in the order they are written.
constexpr SavedKey SavedKeys[] = {
    {"ChkSub", "chkSub", Kind::Check},        {"AllType", "chkAllType", Kind::Check},
    {"ASP", "chkASP", Kind::Check},           {"PHP", "chkPHP", Kind::Check},
    {"CFM", "chkCFM", Kind::Check},           {"HTM", "chkHTM", Kind::Check},
    {"HTML", "chkHTML", Kind::Check},         {"PL", "chkPL", Kind::Check},
    {"TXT", "chkTXT", Kind::Check},           {"THS", "chkThis", Kind::Check},
    {"THST", "txtThis", Kind::Text},          {"BU", "chkBackUp", Kind::Check},
    {"Case", "chkCase", Kind::Check},         {"LOG", "chkLog", Kind::Check},
    {"SERONL", "chkSearchOnly", Kind::Check}, {"Path", "txtPath", Kind::Text},
    {"SStr", "txtSearch", Kind::Text},        {"RStr", "txtReplace", Kind::Text},
    {"CRLF", "chkDoAllCRLF", Kind::Check},    {"SPLT", "chkKeepLeftSpc", Kind::Check},
    {"SPRT", "chkKeepRightSpc", Kind::Check},
};

const QString One = QStringLiteral("1");
const QString Zero = QStringLiteral("0");

class Loader {
public:
    Loader(const IniDocument& document, SettingsControls& controls)
        : m_document(document), m_controls(controls) {}

    QString read(const char* key, const QString& fallback) const {
        try {
            return m_document.value(Section, QString::fromLatin1(key), fallback);
        } catch (const std::exception&) {
            return QString();
        }
    }

    // Any number other than zero turns the option on; anything else takes the default.
    QString option(const char* key, const char* control, const QString& fallback) {
        QString value = read(key, fallback);
        bool ok = false;
        qlonglong number = value.toLongLong(&ok);
        if (!ok) {
            value = fallback;
            number = fallback.toLongLong();
        }
        m_controls.setOptionValue(QString::fromLatin1(control), number != 0);
        return value;
    }

    // Only 0, 1 and 2 are check box states; anything else takes the default.
    QString check(const char* key, const char* control, const QString& fallback) {
        QString value = read(key, fallback);
        bool ok = false;
        int number = value.toInt(&ok);
        if (!ok || number < Unchecked || number > Greyed) {
            value = fallback;
            number = fallback.toInt();
        }
        m_controls.setCheckValue(QString::fromLatin1(control), CheckValue(number));
        return value;
    }

    void text(const char* key, const char* control, const QString& fallback) {
        m_controls.setText(QString::fromLatin1(control), read(key, fallback));
    }

private:
    const IniDocument& m_document;
    SettingsControls& m_controls;
};

} // namespace

Status SaveSettings(const QString& iniPath, const SettingsControls& controls) {
    // A file that exists but can't be read is left alone rather than replaced.
    Result<IniDocument> loaded = IniDocument::load(iniPath);
    if (!loaded)
        return loaded.error();
    IniDocument& document = loaded.value();

    const bool text = controls.optionValue(QStringLiteral("optText"));
    const bool file = !text && controls.optionValue(QStringLiteral("optFile"));
    document.setValue(Section, QStringLiteral("OptText"), text ? One : Zero);
    document.setValue(Section, QStringLiteral("OptFile"), file ? One : Zero);
    document.setValue(Section, QStringLiteral("OptAll"), text || file ? Zero : One);
    for (const SavedKey& saved : SavedKeys) {
        const QString control = QString::fromLatin1(saved.control);
        const QString value = saved.kind == Kind::Check
                                  ? QString::number(controls.checkValue(control))
                                  : controls.text(control);
        document.setValue(Section, QString::fromLatin1(saved.key), value);
    }
    return document.save(iniPath);
}

void LoadSettings(const QString& iniPath, SettingsControls& controls) {
    Result<IniDocument> loaded = IniDocument::load(iniPath);
    // An unreadable file counts as a missing one: every control takes its default.
    const IniDocument document = loaded ? std::move(loaded).value() : IniDocument();
    Loader load(document, controls);

    load.option("OptAll", "optAll", One);
    load.option("optText", "optText", Zero);
    for (const auto& [key, control] : {std::pair{"chkSub", "chkSub"},
                                       {"ASP", "chkASP"},
                                       {"PHP", "chkPHP"},
                                       {"CFM", "chkCFM"},
                                       {"HTM", "chkHTM"},
                                       {"HTML", "chkHTML"},
                                       {"PL", "chkPL"},
                                       {"TXT", "chkTXT"},
                                       {"THS", "chkThis"}})
        load.check(key, control, Zero);
    load.text("THST", "txtThis", Zero);
    for (const auto& [key, control] : {std::pair{"BU", "chkBackUp"},
                                       {"Case", "chkCase"},
                                       {"log", "chkLog"},
                                       {"SERONL", "chkSearchOnly"},
                                       {"CRLF", "chkDoAllCRLF"},
                                       {"SPLT", "chkKeepLeftSpc"},
                                       {"SPRT", "chkKeepRightSpc"}})
        load.check(key, control, Zero);
    if (load.check("Alltype", "chkAllType", One) == One)
        controls.DisableControls(QStringLiteral("AllType"), false);
    if (load.option("OptFile", "optFile", Zero) == One)
        controls.DisableControls(QStringLiteral("OptFile"), false);
    load.text("Path", "txtPath", QString());
    load.text("SStr", "txtSearch", QString());
    load.text("RStr", "txtReplace", QString());
}

} // namespace zuk
