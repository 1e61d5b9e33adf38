#pragma once

#include <array>

#include "pages/tab_page_dlg.h"

class CSecurityPage;
class CDiagnosticsPage;
class CFactoryResetPage;
class CQoSPage;

// The advanced-settings overview page, tab 1: a menu of the four sub-pages, which it owns and shows in
// its own area, one at a time, in place of its own items.
class CAdvaceSettingsPage : public CTabPageDlg {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 130;
    enum SubPage { kSecurity, kDiagnostics, kFactoryReset, kQos, kSubPageCount };

    explicit CAdvaceSettingsPage(QWidget* parent = nullptr);
    ~CAdvaceSettingsPage() override;
    bool CreatePage(QWidget* parent) override;

    // Shows the overview's own items when true, hides them when false.
    void ShowOverview(bool show);
    // Shows one sub-page over the overview and hides the overview's items. The caller lets the sub-page
    // prepare itself first.
    void OpenSubPage(SubPage which);
    // Hides every sub-page and shows the overview's items (the "<back" buttons, and the tab re-selected).
    void ReturnToOverview();

    CTabPageDlg* Page(SubPage which) const { return subPages_[which]; }
    CSecurityPage* SecurityPage() const;
    CDiagnosticsPage* DiagnosticsPage() const;
    CFactoryResetPage* FactoryResetPage() const;
    CQoSPage* QosPage() const;

protected:
    void OnInitPage() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::array<CTabPageDlg*, kSubPageCount> subPages_{};
};
