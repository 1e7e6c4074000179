// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/run/check_value.h"

#include <QHash>
#include <QSize>
#include <QString>
#include <QWidget>

#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace zuk {

enum class ControlKind {
    Label,
    Button,
    MultiLineText,
    LineText,
    Frame,
    Option,
    Check,
    RightBox,
    Combo, // takes list choices and typed text
};
// DialogTitle: the dialog face in bold, as much bigger as 9.75 pt is than 8.25 pt.
enum class ControlFont { Dialog, Heading, PaneHeading, Small, DialogTitle };

// Where the builder keeps a control it made: a typed member of the window's controls (see
// `into`), so that no code looks a control up by its name.
struct ControlSlot {
    const void* owner = nullptr; // the struct the member belongs to (kControlsType's address)
    void (*put)(void* controls, QWidget* widget) = nullptr;
};

template <class Controls> inline constexpr char kControlsType = 0;

// One row of a window's control table: positions are twips, relative to the window's client
// area or to the frame named in `parent`.
struct ControlRow {
    const char* name;
    ControlKind kind;
    const char* parent; // nullptr: the client area
    const char* caption;
    int left, top, width, height;
    int tab;
    CheckValue value = 0; // check boxes; option buttons: 1 when selected
    bool enabled = true;
    bool autoSize = false; // labels that take the size of their text
    ControlFont font = ControlFont::Dialog;
    ControlSlot slot{}; // none: no code reaches the control
};

namespace detail {
template <class Member> struct SlotMember;
template <class Controls, class Widget> struct SlotMember<Widget * Controls::*> {
    using Owner = Controls;
    using Type = Widget;
};
} // namespace detail

// `row`, whose control the builder puts into `Member` of the window's controls, for example
// into<&MainControls::cmdStart>({"cmdStart", ControlKind::Button, ...}). A control of another
// kind than the member's type stops the window's construction.
template <auto Member> constexpr ControlRow into(ControlRow row) {
    using Slot = detail::SlotMember<decltype(Member)>;
    row.slot = {&kControlsType<typename Slot::Owner>, [](void* controls, QWidget* widget) {
                    auto* typed = qobject_cast<typename Slot::Type*>(widget);
                    if (!typed)
                        throw std::logic_error("the control " + widget->objectName().toStdString() +
                                               " is no " +
                                               Slot::Type::staticMetaObject.className());
                    static_cast<typename Slot::Owner*>(controls)->*Member = typed;
                }};
    return row;
}

// The main window's controls in their designed state.
std::span<const ControlRow> mainControls();

// Converts design twips to pixels. Across, 15 twips make a pixel at the design font, times a
// factor that lets every caption of the current font fit its designed width. Down, the client
// area is cut into stretches at the controls' edges, and each stretch grows only as much as the
// rows over it need: a check box needs its height within the pitch of its rows, not within its
// own designed box, and the text boxes need no more than they are given.
struct TwipScale {
    double x = 1.0;
    // Stretch i runs down from stretches[i].first twips and grows stretches[i].second times;
    // the last one runs on without end. Empty: no stretch grows.
    std::vector<std::pair<int, double>> stretches;

    int px(int twips) const;
    // `twips` from the top of the client area.
    int py(int twips) const;
    int widthPx(int left, int width) const { return px(left + width) - px(left); }
    int heightPx(int top, int height) const { return py(top + height) - py(top); }
};

struct BuiltControls {
    QHash<QString, QWidget*> widgets; // by the rows' names
    std::vector<QWidget*> inRowOrder;
    TwipScale scale;
};

// The controls struct that the rows' slots fill.
struct ControlsTarget {
    const void* type;
    void* controls;
};

// Creates the widgets of `rows` inside `client` (frames before their children), sets their
// captions, fonts, values, enabled flags and tab order, then measures the captions, chooses
// the scale and places everything in a client area `clientHeightTwips` high. Each control whose
// row has a slot goes into its member of `controls`.
BuiltControls buildControls(QWidget* client, std::span<const ControlRow> rows,
                            int clientHeightTwips, ControlsTarget controls);
template <class Controls>
BuiltControls buildControls(QWidget* client, std::span<const ControlRow> rows,
                            int clientHeightTwips, Controls& controls) {
    return buildControls(client, rows, clientHeightTwips,
                         ControlsTarget{&kControlsType<Controls>, &controls});
}

// The room a control's caption needs, in pixels (zero for controls without a caption).
QSize captionNeed(const QWidget* widget, const ControlRow& row);

} // namespace zuk
