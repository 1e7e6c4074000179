// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main_layout.h"

#include "ui/main_controls.h"

#include "ui/caption_button.h"
#include "ui/check_box.h"
#include "ui/multi_line_box.h"
#include "ui/right_box.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionGroupBox>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace zuk {

namespace {

using K = ControlKind;
using F = ControlFont;
using C = MainControls;

// clang-format off
const std::array kMainControls = {
    ControlRow{"Label3", K::Label, nullptr, "Zukanor", 1800, 120, 3150, 285, 32, 0, true, true, F::Heading},
    into<&C::cmdExpand>({"cmdExpand", K::Button, nullptr, ">", 6240, 360, 255, 255, 44}),
    into<&C::Label1>({"Label1", K::Label, nullptr, "Text to Search For :   (Carriage Return, Tabs, ETC.. OK)", 240, 480, 3960, 195, 30, 0, true, true}),
    into<&C::txtSearch>({"txtSearch", K::MultiLineText, nullptr, "", 240, 720, 6255, 975, 0}),
    ControlRow{"Label2", K::Label, nullptr, "Text to replace with :    (Carriage Return, Tabs, ETC.. OK)", 240, 1800, 4080, 195, 31, 0, true, true},
    into<&C::txtReplace>({"txtReplace", K::MultiLineText, nullptr, "", 240, 2040, 6255, 975, 1}),
    ControlRow{"Frame1", K::Frame, nullptr, "Replace Options", 240, 3120, 3015, 4560, 33},
    into<&C::optText>({"optText", K::Option, "Frame1", "Search Right Box Text", 120, 240, 2295, 255, 2, 0}),
    into<&C::optFile>({"optFile", K::Option, "Frame1", "Search Selected file only.", 120, 480, 2175, 195, 3, 1}),
    into<&C::optAll>({"optAll", K::Option, "Frame1", "Search All files in directory.", 120, 720, 2295, 195, 4, 0}),
    into<&C::chkSub>({"chkSub", K::Check, "Frame1", "Search in sub-directories", 360, 960, 2535, 195, 5, 1, false}),
    into<&C::chkAllType>({"chkAllType", K::Check, "Frame1", "Search all compatible file types", 360, 1200, 2535, 195, 6, 1, false}),
    // The file types' boxes: kFileTypes names them (and MainControls::fileTypes holds them in
    // its order), their places are here.
    ControlRow{"chkASP", K::Check, "Frame1", "Search *.asp Files", 600, 1440, 1695, 195, 7, 1, false},
    ControlRow{"chkCFM", K::Check, "Frame1", "Search *.cfm Files", 600, 1680, 1695, 195, 8, 1, false},
    ControlRow{"chkHTM", K::Check, "Frame1", "Search *.htm Files", 600, 1905, 1695, 195, 9, 1, false},
    ControlRow{"chkHTML", K::Check, "Frame1", "Search *.html Files", 600, 2130, 1695, 195, 10, 1, false},
    ControlRow{"chkPHP", K::Check, "Frame1", "Search *.php Files", 615, 2355, 1695, 195, 11, 1, false},
    ControlRow{"chkPL", K::Check, "Frame1", "Search *.pl Files", 600, 2580, 1575, 195, 12, 1, false},
    ControlRow{"chkTXT", K::Check, "Frame1", "Search *.txt Files", 600, 2820, 1575, 195, 13, 1, false},
    into<&C::chkThis>({"chkThis", K::Check, "Frame1", "Search  This : ", 600, 3060, 1335, 195, 14, 0, false}),
    into<&C::txtThis>({"txtThis", K::LineText, "Frame1", "", 1920, 3015, 855, 285, 15, 0, false}),
    into<&C::chkCase>({"chkCase", K::Check, "Frame1", "Case Sensitive Search", 120, 3420, 2055, 195, 16, 1}),
    into<&C::chkLog>({"chkLog", K::Check, "Frame1", "Log changes to files.", 120, 3660, 2055, 195, 17, 1}),
    into<&C::chkSearchOnly>({"chkSearchOnly", K::Check, "Frame1", "SEARCH ONLY Don't Replace", 120, 3900, 2535, 195, 18, 1}),
    into<&C::chkBackUp>({"chkBackUp", K::Check, "Frame1", "Make Backups of edited files", 120, 4140, 2535, 195, 19, 1}),
    ControlRow{"Frame2", K::Frame, nullptr, "Replace Results", 3360, 3120, 3135, 1335, 36},
    ControlRow{"Label8", K::Label, "Frame2", "Items Searched :", 120, 360, 1200, 195, 37, 0, true, true},
    into<&C::lblTotFiles>({"lblTotFiles", K::Label, "Frame2", "0", 1440, 360, 90, 195, 40, 0, true, true}),
    ControlRow{"Label9", K::Label, "Frame2", "Items Changed :", 165, 600, 1155, 195, 38, 0, true, true},
    into<&C::lblFilesDone>({"lblFilesDone", K::Label, "Frame2", "0", 1440, 600, 90, 195, 41, 0, true, true}),
    ControlRow{"Label10", K::Label, "Frame2", "Replaced Items :", 120, 840, 1200, 195, 39, 0, true, true},
    into<&C::lblReplaceMade>({"lblReplaceMade", K::Label, "Frame2", "0", 1440, 840, 90, 195, 42, 0, true, true}),
    into<&C::Label4>({"Label4", K::Label, nullptr, "Directory / File to search", 3360, 4680, 1740, 195, 35, 0, true, true}),
    into<&C::cmdBrowse>({"cmdBrowse", K::Button, nullptr, "...", 6120, 4680, 375, 255, 20}),
    into<&C::txtPath>({"txtPath", K::LineText, nullptr, "", 3360, 4920, 3135, 285, 21}),
    into<&C::cmdStart>({"cmdStart", K::Button, nullptr, "Start", 3360, 5400, 975, 495, 22}),
    into<&C::cmdClear>({"cmdClear", K::Button, nullptr, "Clear", 4440, 5400, 975, 495, 25}),
    into<&C::cmdRollBack>({"cmdRollBack", K::Button, nullptr, "Roll Back", 5520, 5400, 975, 495, 46}),
    into<&C::cmdViewLog>({"cmdViewLog", K::Button, nullptr, "View Log", 3360, 6000, 975, 495, 23}),
    into<&C::cmdHelp>({"cmdHelp", K::Button, nullptr, "Help", 4440, 6000, 975, 495, 26}),
    into<&C::cmdExit>({"cmdExit", K::Button, nullptr, "Exit", 5520, 6000, 975, 495, 24}),
    ControlRow{"Frame3", K::Frame, nullptr, "Ignore CRLF Options", 3360, 6600, 3135, 1095, 47},
    into<&C::chkDoAllCRLF>({"chkDoAllCRLF", K::Check, "Frame3", "Do All CRLF Possibilities", 120, 240, 2055, 195, 27, 1}),
    into<&C::chkKeepLeftSpc>({"chkKeepLeftSpc", K::Check, "Frame3", "Keep Space Left", 360, 480, 2415, 195, 28, 0}),
    into<&C::chkKeepRightSpc>({"chkKeepRightSpc", K::Check, "Frame3", "Keep Space Right", 360, 720, 2415, 195, 29, 0}),
    ControlRow{"Label5", K::Label, nullptr, "Currently working on this data:", 6960, 120, 3240, 270, 43, 0, true, true, F::PaneHeading},
    into<&C::lblCurPath>({"lblCurPath", K::Label, nullptr, "", 6960, 480, 5685, 195, 45, 0, true, false, F::Small}),
    into<&C::RTB1>({"RTB1", K::RightBox, nullptr, "", 6960, 720, 5655, 6015, 34}),
};
// clang-format on

// Arial where it exists, a similar sans-serif face elsewhere.
QFont arial(const QFont& base, double points, bool bold) {
    QFont font = base;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Nimbus Sans"), QStringLiteral("Helvetica")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QWidget* createWidget(const ControlRow& row, QWidget* parent) {
    const QString caption = QString::fromUtf8(row.caption);
    switch (row.kind) {
    case K::Label: {
        auto* label = new QLabel(caption, parent);
        label->setTextFormat(Qt::PlainText);
        return label;
    }
    case K::Button:
        return new CaptionButton(caption, parent);
    case K::MultiLineText:
        return new MultiLineBox(parent);
    case K::LineText:
        return new QLineEdit(parent);
    case K::Frame:
        return new QGroupBox(caption, parent);
    case K::Option: {
        auto* option = new QRadioButton(caption, parent);
        option->setChecked(row.value == Checked);
        return option;
    }
    case K::Check: {
        auto* check = new CheckBox(parent);
        check->setText(caption);
        check->setValue(row.value);
        return check;
    }
    case K::RightBox: {
        auto* box = new RightBox(parent);
        box->setReadOnly(true);
        return box;
    }
    case K::Combo: {
        auto* combo = new QComboBox(parent);
        combo->setEditable(true);
        // Typed text is used as typed: not completed from the list, not added to it.
        combo->setCompleter(nullptr);
        combo->setInsertPolicy(QComboBox::NoInsert);
        return combo;
    }
    }
    return nullptr;
}

bool hasCaption(const ControlRow& row) {
    switch (row.kind) {
    case K::Label:
    case K::Button:
    case K::Frame:
    case K::Option:
    case K::Check:
        return true;
    default:
        return false;
    }
}

// The height a control needs to show its caption or its one line of text.
int heightNeed(const QWidget* widget, const ControlRow& row) {
    switch (row.kind) {
    case K::LineText:
    case K::Combo:
        return widget->sizeHint().height();
    case K::Frame:
    case K::MultiLineText:
    case K::RightBox:
        return 0;
    default:
        return captionNeed(widget, row).height();
    }
}

bool sameHolder(const char* a, const char* b) {
    return a == b || (a && b && std::strcmp(a, b) == 0);
}

// Where the room of a control ends: at the next control beneath it, or at the bottom of its
// holder, `holderHeight` twips high. The room is the pitch of its row, not only its own
// designed box.
int roomBottom(const ControlRow& row, std::span<const ControlRow> rows, int holderHeight) {
    int bottom = holderHeight;
    for (const ControlRow& other : rows) {
        const bool across =
            other.left < row.left + row.width && row.left < other.left + other.width;
        if (&other != &row && sameHolder(other.parent, row.parent) && across &&
            other.top >= row.top + row.height / 2)
            bottom = std::min(bottom, other.top);
    }
    return std::max(bottom, row.top + row.height);
}

// Room that one stretch of a holder, from `top` to `bottom` twips, must give.
struct Need {
    int top, bottom;
    int pixels;
};

// The stretches of `holder` (a frame, or the client area when null), `height` twips high,
// whose frames already know the pixels they need.
std::vector<std::pair<int, double>> stretchesOf(const char* holder, int height,
                                                const QHash<QString, QWidget*>& widgets,
                                                std::span<const ControlRow> rows,
                                                const QHash<QString, int>& framePixels) {
    std::vector<Need> needs;
    int firstChild = height;
    for (const ControlRow& row : rows) {
        if (!sameHolder(row.parent, holder))
            continue;
        firstChild = std::min(firstChild, row.top);
        if (row.kind == K::Frame) {
            needs.push_back({row.top, row.top + row.height, framePixels.value(row.name)});
            continue;
        }
        const int bottom = roomBottom(row, rows, height);
        int pixels = heightNeed(widgets.value(row.name), row);
        // The last row of a frame stays above its lower border.
        if (holder && bottom == height)
            pixels += widgets.value(holder)->contentsMargins().bottom();
        needs.push_back({row.top, bottom, pixels});
    }
    // A frame's title lies above its first control.
    if (holder)
        needs.push_back({0, firstChild, widgets.value(holder)->contentsMargins().top()});

    // Each stretch between two edges grows by the most that a need over it asks for.
    std::vector<int> edges{0, height};
    for (const Need& need : needs)
        edges.insert(edges.end(), {need.top, need.bottom});
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    std::vector<std::pair<int, double>> stretches;
    for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
        double factor = 1.0;
        for (const Need& need : needs) {
            if (need.top <= edges[i] && edges[i + 1] <= need.bottom && need.pixels > 0)
                factor = std::max(factor, need.pixels * 15.0 / (need.bottom - need.top));
        }
        stretches.emplace_back(edges[i], factor);
    }
    return stretches;
}

} // namespace

std::span<const ControlRow> mainControls() {
    return kMainControls;
}

int TwipScale::px(int twips) const {
    return int(std::lround(twips * x / 15.0));
}

int TwipScale::py(int twips) const {
    if (stretches.empty())
        return int(std::lround(twips / 15.0));
    double pixels = 0;
    for (std::size_t i = 0; i < stretches.size() && stretches[i].first < twips; ++i) {
        const int to = i + 1 < stretches.size() ? std::min(twips, stretches[i + 1].first) : twips;
        pixels += (to - stretches[i].first) * stretches[i].second / 15.0;
    }
    return int(std::lround(pixels));
}

QSize captionNeed(const QWidget* widget, const ControlRow& row) {
    if (row.kind == K::Frame) {
        // The title with the frame's indent on both sides.
        const auto* frame = static_cast<const QGroupBox*>(widget);
        const int indent = frame->fontMetrics().averageCharWidth() * 2;
        return {frame->fontMetrics().horizontalAdvance(frame->title()) + 2 * indent, 0};
    }
    if (!hasCaption(row))
        return {};
    if (row.kind == K::Label && QString::fromUtf8(row.caption).isEmpty())
        return {0, widget->sizeHint().height()};
    return widget->sizeHint();
}

BuiltControls buildControls(QWidget* client, std::span<const ControlRow> rows,
                            int clientHeightTwips, ControlsTarget controls) {
    BuiltControls built;
    const QFont dialogFont = client->font();
    for (const ControlRow& row : rows) {
        QWidget* parent = row.parent ? built.widgets.value(QString::fromUtf8(row.parent)) : client;
        QWidget* widget = createWidget(row, parent ? parent : client);
        widget->setObjectName(QString::fromUtf8(row.name));
        switch (row.font) {
        case F::Dialog:
            break;
        case F::Heading:
            widget->setFont(arial(dialogFont, 12, true));
            break;
        case F::PaneHeading:
            widget->setFont(arial(dialogFont, 11.25, true));
            break;
        case F::Small:
            widget->setFont(arial(dialogFont, 8.25, false));
            break;
        case F::DialogTitle: {
            QFont title = dialogFont;
            title.setBold(true);
            if (title.pointSizeF() > 0)
                title.setPointSizeF(title.pointSizeF() * 9.75 / 8.25);
            widget->setFont(title);
            break;
        }
        }
        widget->setEnabled(row.enabled);
        built.widgets.insert(widget->objectName(), widget);
        built.inRowOrder.push_back(widget);
        if (row.slot.put) {
            if (row.slot.owner != controls.type)
                throw std::logic_error(std::string("the row ") + row.name +
                                       " names a member of another window's controls");
            row.slot.put(controls.controls, widget);
        }
    }

    // Across: at least 15 twips to the pixel, more where a caption needs the room. Labels
    // sized to their text don't count.
    TwipScale& scale = built.scale;
    for (const ControlRow& row : rows) {
        if (row.autoSize || row.kind == K::LineText)
            continue;
        const QSize need = captionNeed(built.widgets.value(row.name), row);
        scale.x = std::max(scale.x, need.width() * 15.0 / row.width);
    }
    // Down: each frame grows by what its rows need, then the client area by what its rows and
    // frames need.
    QHash<QString, TwipScale> frameScales;
    QHash<QString, int> framePixels;
    QHash<QString, int> frameHeights;
    for (const ControlRow& row : rows) {
        if (row.kind != K::Frame)
            continue;
        TwipScale inside = scale;
        inside.stretches = stretchesOf(row.name, row.height, built.widgets, rows, {});
        frameScales.insert(row.name, inside);
        framePixels.insert(row.name, inside.py(row.height));
        frameHeights.insert(row.name, row.height);
    }
    scale.stretches = stretchesOf(nullptr, clientHeightTwips, built.widgets, rows, framePixels);

    for (const ControlRow& row : rows) {
        QWidget* widget = built.widgets.value(row.name);
        const TwipScale& holder = row.parent ? frameScales[row.parent] : scale;
        const int x = holder.px(row.left);
        const int y = holder.py(row.top);
        if (row.autoSize) {
            widget->setGeometry(x, y, widget->sizeHint().width(), widget->sizeHint().height());
        } else {
            // As designed, or as high as the caption needs, but never into the row beneath.
            const int holderHeight = row.parent ? frameHeights[row.parent] : clientHeightTwips;
            const int room =
                holder.heightPx(row.top, roomBottom(row, rows, holderHeight) - row.top);
            const int height = std::max(std::min(holder.heightPx(row.top, row.height), room),
                                        heightNeed(widget, row));
            widget->setGeometry(x, y, holder.widthPx(row.left, row.width), height);
        }
    }

    // Focus moves through the controls that take it in increasing tab index.
    std::vector<const ControlRow*> order;
    for (const ControlRow& row : rows)
        order.push_back(&row);
    std::stable_sort(order.begin(), order.end(),
                     [](const ControlRow* a, const ControlRow* b) { return a->tab < b->tab; });
    QWidget* previous = nullptr;
    for (const ControlRow* row : order) {
        QWidget* widget = built.widgets.value(QString::fromUtf8(row->name));
        if (widget->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
    return built;
}

} // namespace zuk
