#include "controls/report_ctrl.h"

#include "controls/report_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace {

constexpr int kItemDataRole = Qt::UserRole + 1;

} // namespace

CReportCtrl::CReportCtrl(QWidget* parent) : QTreeWidget(parent), editor_(new QLineEdit(viewport())) {
    // Cells are edited only through the edit box below, never through Qt's own editors.
    ConfigureReportView(*this);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    header()->setSectionsClickable(true);
    connect(header(), &QHeaderView::sectionClicked, this, &CReportCtrl::SortBy);

    editor_->hide();
    editor_->installEventFilter(this);
}

CReportCtrl::~CReportCtrl() {
    // An edit open at destruction is dropped.
    editRow_ = -1;
    editColumn_ = -1;
}

void CReportCtrl::SetEditable(bool editable) {
    if (!editable) {
        EndEdit(true);
    }
    editable_ = editable;
}

void CReportCtrl::SetEditableColumns(std::function<bool(int column)> rule) {
    editableColumns_ = std::move(rule);
}

void CReportCtrl::InsertColumn(int index, const QString& heading, int width, Qt::Alignment alignment) {
    EndEdit(true);
    index = InsertHeading(*this, index, heading, width);
    headerItem()->setData(index, Qt::UserRole, int(alignment));
}

int CReportCtrl::InsertItem(int row, const QString& text) {
    EndEdit(true);
    auto* item = new QTreeWidgetItem;
    for (int column = 0; column < columnCount(); ++column) {
        item->setForeground(column, palette().color(QPalette::Text));
        item->setBackground(column, palette().color(QPalette::Base));
        item->setTextAlignment(column,
                               Qt::Alignment(headerItem()->data(column, Qt::UserRole).toInt()) | Qt::AlignVCenter);
    }
    item->setText(0, text);
    row = qBound(0, row, topLevelItemCount());
    insertTopLevelItem(row, item);
    return row;
}

void CReportCtrl::SetItemText(int row, int column, const QString& text) {
    EndEdit(true);
    if (QTreeWidgetItem* item = topLevelItem(row); item != nullptr && column >= 0 && column < columnCount()) {
        item->setText(column, text);
    }
}

QString CReportCtrl::ItemText(int row, int column) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr ? item->text(column) : QString();
}

void CReportCtrl::SetItemData(int row, quintptr value) {
    if (QTreeWidgetItem* item = topLevelItem(row)) {
        item->setData(0, kItemDataRole, QVariant::fromValue(value));
    }
}

quintptr CReportCtrl::ItemData(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr ? item->data(0, kItemDataRole).value<quintptr>() : 0;
}

void CReportCtrl::SetCellColors(int row, int column, const QColor& text, const QColor& background) {
    if (QTreeWidgetItem* item = topLevelItem(row); item != nullptr && column >= 0 && column < columnCount()) {
        item->setForeground(column, text);
        item->setBackground(column, background);
    }
}

QColor CReportCtrl::CellTextColor(int row, int column) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr ? item->foreground(column).color() : QColor();
}

QColor CReportCtrl::CellBackground(int row, int column) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr ? item->background(column).color() : QColor();
}

bool CReportCtrl::CanEdit(int row, int column) const {
    return row >= 0 && row < topLevelItemCount() && column >= 0 && column < columnCount() &&
           (!editableColumns_ || editableColumns_(column));
}

void CReportCtrl::EditCell(int row, int column) {
    if (!CanEdit(row, column)) {
        return;
    }
    if (row == editRow_ && column == editColumn_) {
        return;
    }
    EndEdit(true);
    editRow_ = row;
    editColumn_ = column;
    QTreeWidgetItem* item = topLevelItem(row);
    const QModelIndex index = indexFromItem(item, column);
    setCurrentItem(item, column, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
    editor_->setAlignment(Qt::Alignment(headerItem()->data(column, Qt::UserRole).toInt()) | Qt::AlignVCenter);
    editor_->setFont(font());
    editor_->setGeometry(visualRect(index));
    editor_->setText(item->text(column));
    editor_->show();
    editor_->selectAll();
    editor_->setFocus();
}

void CReportCtrl::EndEdit(bool commit) {
    if (editRow_ < 0) {
        return;
    }
    const int row = editRow_;
    const int column = editColumn_;
    editRow_ = -1;
    editColumn_ = -1;
    const bool hadFocus = editor_->hasFocus();
    editor_->hide();
    if (hadFocus) {
        setFocus();
    }
    QTreeWidgetItem* item = topLevelItem(row);
    if (commit && item != nullptr && editor_->text() != item->text(column)) {
        item->setText(column, editor_->text());
        emit editCommitted(row, column);
    }
}

void CReportCtrl::MoveEdit(int row, int column) {
    EndEdit(true);
    EditCell(row, column);
}

void CReportCtrl::SortBy(int column) {
    EndEdit(true);
    sortAscending_ = column == sortColumn_ ? !sortAscending_ : true;
    sortColumn_ = column;
    sortItems(column, sortAscending_ ? Qt::AscendingOrder : Qt::DescendingOrder);
    emit sorted(column, sortAscending_);
}

void CReportCtrl::mousePressEvent(QMouseEvent* event) {
    const bool wasEditing = Editing();
    EndEdit(true);
    const QModelIndex index = indexAt(event->position().toPoint());
    const bool selectedAndFocused = index.isValid() && selectionModel()->isRowSelected(index.row(), QModelIndex()) &&
                                    currentIndex().row() == index.row();
    QTreeWidget::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && editable_ && !wasEditing && selectedAndFocused &&
        index.column() == kClickEditColumn) {
        EditCell(index.row(), kClickEditColumn);
    }
}

void CReportCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    EndEdit(true);
    QTreeWidget::mouseDoubleClickEvent(event);
}

void CReportCtrl::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !Editing()) {
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

bool CReportCtrl::eventFilter(QObject* watched, QEvent* event) {
    if (watched != editor_ || event->type() != QEvent::KeyPress || !Editing()) {
        return QTreeWidget::eventFilter(watched, event);
    }
    const int row = editRow_;
    const int column = editColumn_;
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        EndEdit(true);
        return true;
    case Qt::Key_Escape:
        EndEdit(false);
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
        // The next (Shift+Tab: previous) column that may be edited, wrapping round the row.
        const int direction = static_cast<QKeyEvent*>(event)->key() == Qt::Key_Tab ? 1 : -1;
        const int columns = columnCount();
        int next = column;
        for (int step = 1; step <= columns; ++step) {
            const int candidate = ((column + direction * step) % columns + columns) % columns;
            if (CanEdit(row, candidate)) {
                next = candidate;
                break;
            }
        }
        MoveEdit(row, next);
        return true;
    }
    case Qt::Key_Up:
        MoveEdit(qMax(0, row - 1), column);
        return true;
    case Qt::Key_Down:
        MoveEdit(qMin(topLevelItemCount() - 1, row + 1), column);
        return true;
    default:
        return false;
    }
}
