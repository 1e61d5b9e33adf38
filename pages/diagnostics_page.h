#pragma once

#include "pages/tab_page_dlg.h"

// The diagnostics sub-page of the advanced tab: the report about this PC and the local adapter.
class CDiagnosticsPage : public CTabPageDlg {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 134;

    using CTabPageDlg::CTabPageDlg;
    bool CreatePage(QWidget* parent) override;
};
