// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/run/preview_results.h"

#include <QAbstractItemModel>
#include <QStyledItemDelegate>

namespace zuk {

// The Preview window's list: a row per subject with finds (its name and count), under it a row
// per find (its line number, the line with the find marked, the line it becomes). The first
// column ticks a find, or every find of a subject. Rows are announced in batches as the run
// keeps subjects, so a tree of many files never waits on the view.
class PreviewModel final : public QAbstractItemModel {
    Q_OBJECT
public:
    // Where the find lies in the text a cell shows: a QPoint(start, length) in characters.
    static constexpr int MarkRole = Qt::UserRole + 1;
    // The longest line a cell shows around its find.
    static constexpr qsizetype kShownLine = 240;

    explicit PreviewModel(PreviewResults& results, QObject* parent = nullptr);

    // Shows the subjects kept since the last call.
    void announce();
    // Forgets every row (a new preview).
    void restart();
    // Whether the ticks can be changed, and whether they are shown at all (a search only).
    void setTickable(bool tickable);
    void setTicksShown(bool shown);
    // Names below `folder` are shown from there.
    void setFolder(const QString& folder) { m_folder = folder; }

    // The subject of a row (its own, or its find's), and the find of a find's row (-1 for a
    // subject's).
    static qsizetype fileOf(const QModelIndex& index);
    static qsizetype findOf(const QModelIndex& index);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

Q_SIGNALS:
    void ticksChanged();

private:
    QVariant fileData(const PreviewFile& file, int column, int role) const;
    QVariant findData(qsizetype file, qsizetype find, int column, int role) const;

    PreviewResults& m_results;
    int m_shown = 0; // the subjects announced
    bool m_tickable = true;
    bool m_ticksShown = true;
    QString m_folder;
};

// Paints a cell's text with the span its MarkRole gives on a coloured ground.
class MarkedTextDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

} // namespace zuk
