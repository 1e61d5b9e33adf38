#pragma once

#include <QAbstractItemView>
#include <QHeaderView>
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
