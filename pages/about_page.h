#pragma once

#include "pages/tab_page_dlg.h"

// The about page, tab 2: product, version and release date, a notice and the maker's web link.
class CAboutPage : public CTabPageDlg {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 131;

    using CTabPageDlg::CTabPageDlg;
    bool CreatePage(QWidget* parent) override;
};
