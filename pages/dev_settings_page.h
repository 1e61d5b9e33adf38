#pragma once

#include "pages/tab_page_dlg.h"

// The device settings page, tab 0: the adapters of the network with their link quality and LED state.
class CDevSettingsPage : public CTabPageDlg {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 129;

    using CTabPageDlg::CTabPageDlg;
    bool CreatePage(QWidget* parent) override;

    // Starts a device refresh; the main window calls it each time the user switches to this tab.
    void StartRefresh();

signals:
    // Emitted at the start of every refresh.
    void refreshStarted();
};
