#pragma once

#include "pages/tab_page_dlg.h"

// The security sub-page of the advanced tab: writes a network key into the ticked adapters.
class CSecurityPage : public CTabPageDlg {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 133;

    using CTabPageDlg::CTabPageDlg;
    bool CreatePage(QWidget* parent) override;
};
