// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/preview_model.h"

#include "engine/files/path_bytes.h"

#include <QApplication>
#include <QPainter>
#include <QPoint>
#include <QTextLayout>

namespace zuk {

namespace {

// A subject's row has the id 0; a find's row the subject's index plus one.
constexpr quintptr kFileRow = 0;

// A long line is cut around its find, so that the cell shows the find.
std::pair<QString, QPoint> around(const QString& line, qsizetype start, qsizetype length) {
    if (line.size() <= PreviewModel::kShownLine)
        return {line, QPoint(int(start), int(length))};
    const qsizetype from = std::max<qsizetype>(0, start - 60);
    const qsizetype to = std::min(line.size(), from + PreviewModel::kShownLine);
    QString cut = line.sliced(from, to - from);
    qsizetype shift = -from;
    if (from > 0) {
        cut.prepend(QChar(0x2026));
        shift += 1;
    }
    if (to < line.size())
        cut.append(QChar(0x2026));
    return {cut, QPoint(int(start + shift), int(std::min(length, to - start)))};
}

} // namespace

PreviewModel::PreviewModel(PreviewResults& results, QObject* parent)
    : QAbstractItemModel(parent), m_results(results) {}

void PreviewModel::announce() {
    const int now = int(m_results.size());
    if (now <= m_shown)
        return;
    beginInsertRows({}, m_shown, now - 1);
    m_shown = now;
    endInsertRows();
}

void PreviewModel::restart() {
    beginResetModel();
    m_shown = 0;
    endResetModel();
}

void PreviewModel::setTickable(bool tickable) {
    m_tickable = tickable;
}

void PreviewModel::setTicksShown(bool shown) {
    if (m_ticksShown == shown)
        return;
    beginResetModel();
    m_ticksShown = shown;
    endResetModel();
}

qsizetype PreviewModel::fileOf(const QModelIndex& index) {
    return index.internalId() == kFileRow ? index.row() : qsizetype(index.internalId() - 1);
}

qsizetype PreviewModel::findOf(const QModelIndex& index) {
    return index.internalId() == kFileRow ? -1 : index.row();
}

QModelIndex PreviewModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column < 0 || column >= columnCount())
        return {};
    if (!parent.isValid())
        return row < m_shown ? createIndex(row, column, kFileRow) : QModelIndex();
    if (parent.internalId() != kFileRow || row >= rowCount(parent))
        return {};
    return createIndex(row, column, quintptr(parent.row()) + 1);
}

QModelIndex PreviewModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == kFileRow)
        return {};
    return createIndex(int(child.internalId() - 1), 0, kFileRow);
}

int PreviewModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid())
        return m_shown;
    if (parent.internalId() != kFileRow || parent.column() != 0)
        return 0;
    const PreviewFile& file = m_results.at(parent.row());
    // The finds of several passes have no line of their own: the subject is chosen whole.
    return file.wholeFileOnly ? 0 : int(file.finds.size());
}

int PreviewModel::columnCount(const QModelIndex&) const {
    return 3;
}

QVariant PreviewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case 0:
        return QStringLiteral("File / Line");
    case 1:
        return QStringLiteral("Found");
    default:
        return QStringLiteral("Becomes");
    }
}

QVariant PreviewModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const PreviewFile& file = m_results.at(fileOf(index));
    const qsizetype find = findOf(index);
    return find < 0 ? fileData(file, index.column(), role)
                    : findData(fileOf(index), find, index.column(), role);
}

QVariant PreviewModel::fileData(const PreviewFile& file, int column, int role) const {
    if (column == 0 && role == Qt::CheckStateRole && m_ticksShown) {
        switch (file.ticks()) {
        case PreviewFile::Ticks::None:
            return Qt::Unchecked;
        case PreviewFile::Ticks::Some:
            return Qt::PartiallyChecked;
        case PreviewFile::Ticks::All:
            return Qt::Checked;
        }
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    if (column == 0 && file.kind == ItemKind::RightBoxText)
        return QStringLiteral("(right-hand box)");
    if (column == 0) {
        const bool below = role == Qt::DisplayRole && !m_folder.isEmpty() &&
                           file.path.size() > m_folder.size() && file.path.startsWith(m_folder);
        return displayPath(below ? file.path.sliced(m_folder.size()) : file.path);
    }
    if (column == 1) {
        QString count = file.findCount == 1 ? QStringLiteral("1 find")
                                            : QStringLiteral("%1 finds").arg(file.findCount);
        if (file.wholeFileOnly)
            count += QStringLiteral(", taken as a whole");
        return count;
    }
    return {};
}

QVariant PreviewModel::findData(qsizetype file, qsizetype index, int column, int role) const {
    const PreviewFind& find = m_results.at(file).finds[index];
    if (column == 0) {
        if (role == Qt::CheckStateRole && m_ticksShown)
            return find.ticked ? Qt::Checked : Qt::Unchecked;
        if (role == Qt::DisplayRole)
            return QString::number(find.line);
        return {};
    }
    if (role != Qt::DisplayRole && role != MarkRole && role != Qt::ToolTipRole)
        return {};
    const auto [text, mark] = [&] {
        if (column == 1)
            return around(find.text, find.textStart, find.textLength);
        const LineAfter after = m_results.lineAfter(file, index);
        return around(after.text, after.start, after.length);
    }();
    if (role == MarkRole)
        return mark;
    return text;
}

bool PreviewModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != 0 || role != Qt::CheckStateRole || !m_tickable ||
        !m_ticksShown)
        return false;
    const bool ticked = value.toInt() != Qt::Unchecked;
    const qsizetype file = fileOf(index);
    const qsizetype find = findOf(index);
    const QModelIndex fileRow = createIndex(int(file), 0, kFileRow);
    if (find < 0) {
        m_results.setFileTicked(file, ticked);
        if (const int children = rowCount(fileRow); children > 0)
            Q_EMIT dataChanged(this->index(0, 0, fileRow), this->index(children - 1, 2, fileRow));
    } else {
        m_results.setTicked(file, find, ticked);
        // The other finds of its line show the line it becomes.
        Q_EMIT dataChanged(this->index(0, 0, fileRow),
                           this->index(rowCount(fileRow) - 1, 2, fileRow));
    }
    Q_EMIT dataChanged(fileRow, fileRow, {Qt::CheckStateRole});
    Q_EMIT ticksChanged();
    return true;
}

Qt::ItemFlags PreviewModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == 0 && m_ticksShown && m_tickable)
        flags |= Qt::ItemIsUserCheckable;
    if (findOf(index) >= 0)
        flags |= Qt::ItemNeverHasChildren;
    return flags;
}

void MarkedTextDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    const QVariant mark = index.data(PreviewModel::MarkRole);
    if (!mark.isValid()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
    QTextLayout layout(text, opt.font);
    QTextOption textOption;
    textOption.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(textOption);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    if (!line.isValid())
        return;
    const QPoint span = mark.toPoint();
    QTextLayout::FormatRange marked;
    marked.start = span.x();
    marked.length = std::max(span.y(), 1);
    // The old text's find on a red ground, what it becomes on a green one.
    marked.format.setBackground(index.column() == 1 ? QColor(255, 200, 200)
                                                    : QColor(190, 240, 190));
    marked.format.setForeground(QColor(Qt::black));
    painter->save();
    painter->setClipRect(area);
    painter->setPen(opt.palette.color(opt.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                         : QPalette::Text));
    const qreal top = area.top() + (area.height() - line.height()) / 2;
    layout.draw(painter, QPointF(area.left() + 2, top), {marked});
    painter->restore();
}

} // namespace zuk
