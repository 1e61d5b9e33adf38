#pragma once

#include <QAbstractItemView>
#include <QHeaderView>
#include <QStringList>
#include <QTreeWidget>

// The report-list look both list controls share: flat rows, whole-row single selection, no Qt editors, and
// a fixed header with left-aligned headings.
inline void ConfigureReportView(QTreeWidget& view) {
    view.setRootIsDecorated(false);
    view.setItemsExpandable(false);
    view.setUniformRowHeights(true);
    view.setAllColumnsShowFocus(true);
    view.setSelectionMode(QAbstractItemView::SingleSelection);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setColumnCount(0);
    view.header()->setStretchLastSection(false);
    view.header()->setSectionsMovable(false);
    view.header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

// Inserts a column with its heading and width at `index` (clamped to the columns there are); returns the
// position it took.
inline int InsertHeading(QTreeWidget& view, int index, const QString& heading, int width) {
    QStringList headings;
    for (int column = 0; column < view.columnCount(); ++column) {
        headings << view.headerItem()->text(column);
    }
    index = qBound(0, index, int(headings.size()));
    headings.insert(index, heading);
    view.setColumnCount(int(headings.size()));
    view.setHeaderLabels(headings);
    view.setColumnWidth(index, qMax(0, width));
    return index;
}
