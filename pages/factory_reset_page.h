#pragma once

#include "pages/tab_page_dlg.h"

// The factory reset sub-page of the advanced tab: resets the ticked adapters.
class CFactoryResetPage : public CTabPageDlg {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 135;

    using CTabPageDlg::CTabPageDlg;
    bool CreatePage(QWidget* parent) override;
};
