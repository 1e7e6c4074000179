#pragma once

#include "engine/check_value.h"

#include <QHash>
#include <QSize>
#include <QString>

#include <span>

class QWidget;

namespace zuk {

enum class ControlKind { Label, Button, MultiLineText, LineText, Frame, Option, Check, RightBox };
// DialogTitle: the dialog face in bold, as much bigger as 9.75 pt is than 8.25 pt.
enum class ControlFont { Dialog, Heading, PaneHeading, Small, DialogTitle };

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
};

// The main window's controls in their designed state.
std::span<const ControlRow> mainControls();

// Converts design twips to pixels. 15 twips make a pixel at the design font; the two factors
// grow that so every caption of the current font fits in its designed box.
struct TwipScale {
    double x = 1.0;
    double y = 1.0;
    int px(int twips) const;
    int py(int twips) const;
    int widthPx(int left, int width) const { return px(left + width) - px(left); }
    int heightPx(int top, int height) const { return py(top + height) - py(top); }
};

struct BuiltControls {
    QHash<QString, QWidget*> widgets;
    TwipScale scale;
};

// Creates the widgets of `rows` inside `client` (frames before their children), sets their
// captions, fonts, values, enabled flags and tab order, then measures the captions, chooses
// the scale and places everything.
BuiltControls buildControls(QWidget* client, std::span<const ControlRow> rows);

// The room a control's caption needs, in pixels (zero for controls without a caption).
QSize captionNeed(const QWidget* widget, const ControlRow& row);

} // namespace zuk
