// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/main_layout.h"
#include "ui/screen_fit.h"

#include <QDialog>
#include <QUrl>

#include <functional>

class QLabel;
class QPushButton;
class QScreen;

namespace zuk {

// The About box's controls that its code reaches.
struct AboutControls {
    QLabel* Label3 = nullptr; // the release line
    QLabel* Label4 = nullptr; // the name
    QLabel* Label5 = nullptr; // the maker's name, a link to the maker's web page
    QLabel* Label6 = nullptr; // the maker's telephone number
    QPushButton* cmdOK = nullptr;
};

// The About box "About ZUK": the application's name, its release, its authors, and the
// maker's name as a link to the maker's web page. Not modal; OK closes (and deletes) it.
class frmAbout final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidthTwips = 3135;
    // The licence line below the described labels adds 240 twips above OK.
    static constexpr int kClientHeightTwips = 2550;
    // Hands an address to the user's web browser; the result is not looked at.
    using UrlOpener = std::function<bool(const QUrl&)>;

    explicit frmAbout(UrlOpener openUrl = {}, QWidget* parent = nullptr);

    const AboutControls& controls() const { return m_c; }
    QPushButton* cmdOK() const { return m_c.cmdOK; }
    const TwipScale& scale() const { return m_scale; }
    ScreenFit& screenFit() { return m_fit; }
    // The version and release date set in the build: "Version 0.1.0, released 2026-12-08".
    static QString releaseLine();
    static QUrl makerUrl();

    // Places the top-left corner 200 twips above and left of the screen's centre.
    void Form_Load(const QScreen* screen);
    void cmdOK_Click();
    // Opens the maker's web page; the box stays open.
    void Label5_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ScreenFit m_fit{*this, ScreenFit::Sizing::Fixed};
    AboutControls m_c;
    TwipScale m_scale;
    UrlOpener m_openUrl;
};

} // namespace zuk
