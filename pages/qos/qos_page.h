#pragma once

#include "pages/tab_page_dlg.h"

// The QoS sub-page of the advanced tab: the classification rules written into every adapter.
class CQoSPage : public CTabPageDlg {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 165;

    using CTabPageDlg::CTabPageDlg;
    bool CreatePage(QWidget* parent) override;
};
