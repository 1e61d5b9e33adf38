#pragma once

#include <QColor>
#include <QTreeWidget>
#include <functional>

class QLineEdit;

// A report list with a text and background colour per cell, in-place editing and sorting by a click on
// a column heading. A click on column 2 of a row that was already selected and focused opens an edit box
// over the cell; Enter keeps the text, Escape drops it, Tab moves to the next column of the row (from the
// last back to the first), Up and Down to the same column of the row above or below.
class CReportCtrl : public QTreeWidget {
    Q_OBJECT
public:
    // The column a click opens for editing.
    static constexpr int kClickEditColumn = 2;

    explicit CReportCtrl(QWidget* parent = nullptr);
    ~CReportCtrl() override;

    // Switching editing off first ends an open edit, keeping its text.
    void SetEditable(bool editable);
    bool Editable() const { return editable_; }
    // Which columns an edit may open (all unless set); Tab skips the others.
    void SetEditableColumns(std::function<bool(int column)> rule);

    // Each of these first ends an open edit, keeping its text.
    void InsertColumn(int index, const QString& heading, int width, Qt::Alignment alignment = Qt::AlignLeft);
    // Inserts a row with the text of column 0 and the default colours; returns its index.
    int InsertItem(int row, const QString& text);
    void SetItemText(int row, int column, const QString& text);

    QString ItemText(int row, int column) const;
    int ItemCount() const { return topLevelItemCount(); }
    void SetItemData(int row, quintptr value);
    quintptr ItemData(int row) const;
    void SetCellColors(int row, int column, const QColor& text, const QColor& background);
    QColor CellTextColor(int row, int column) const;
    QColor CellBackground(int row, int column) const;

    // Opens the edit box on a cell; nothing for a cell that does not exist or may not be edited.
    void EditCell(int row, int column);
    // Ends an open edit; with `commit` a changed text goes into the cell and editCommitted is emitted.
    void EndEdit(bool commit);
    bool Editing() const { return editRow_ >= 0; }
    int EditRow() const { return editRow_; }
    int EditColumn() const { return editColumn_; }
    // The edit box (hidden while no edit is open), so that the owner can let it receive Return.
    QLineEdit* EditBox() const { return editor_; }

signals:
    // A committed edit changed the cell's text.
    void editCommitted(int row, int column);
    // The rows were sorted by a heading click.
    void sorted(int column, bool ascending);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SortBy(int column);
    bool CanEdit(int row, int column) const;
    void MoveEdit(int row, int column);

    QLineEdit* editor_;
    std::function<bool(int)> editableColumns_;
    bool editable_ = false;
    int editRow_ = -1;
    int editColumn_ = -1;
    int sortColumn_ = -1;
    bool sortAscending_ = true;
};
