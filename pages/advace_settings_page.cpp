#include "pages/advace_settings_page.h"

#include "pages/diagnostics_page.h"
#include "pages/factory_reset_page.h"
#include "pages/qos/qos_page.h"
#include "pages/security_page.h"

namespace {

constexpr PageTemplate kTemplate{CAdvaceSettingsPage::kTemplateId, 336, 180, {}};

// The overview's own items: its four icon buttons and its title and description labels. The group box
// stays visible under an open sub-page.
constexpr int kOverviewItems[] = {1004, 1006, 1005, 1071, 1029, 1030, 1031, 1032, 1033, 1034, 1062, 1063};

} // namespace

CAdvaceSettingsPage::CAdvaceSettingsPage(QWidget* parent) : CTabPageDlg(parent) {
    subPages_ = {new CSecurityPage, new CDiagnosticsPage, new CFactoryResetPage, new CQoSPage};
}

CAdvaceSettingsPage::~CAdvaceSettingsPage() {
    for (CTabPageDlg*& page : subPages_) {
        // A created sub-page is a child and goes with this window; one never created is deleted here.
        if (page != nullptr && page->parent() != this) {
            delete page;
        }
        page = nullptr;
    }
}

bool CAdvaceSettingsPage::CreatePage(QWidget* parent) {
    return CreateFromTemplate(parent, kTemplate);
}

void CAdvaceSettingsPage::OnInitPage() {
    for (CTabPageDlg* page : subPages_) {
        page->CreatePage(this);
        page->setGeometry(rect());
        page->hide();
    }
}

void CAdvaceSettingsPage::resizeEvent(QResizeEvent* event) {
    // Sub-pages fill the overview's area, so their frame lies on the overview's frame.
    for (CTabPageDlg* page : subPages_) {
        if (page != nullptr && page->parent() == this) {
            page->setGeometry(rect());
        }
    }
    CTabPageDlg::resizeEvent(event);
}

void CAdvaceSettingsPage::ShowOverview(bool show) {
    for (int id : kOverviewItems) {
        if (QWidget* item = Control(id)) {
            item->setVisible(show);
        }
    }
}

void CAdvaceSettingsPage::OpenSubPage(SubPage which) {
    for (int i = 0; i < kSubPageCount; ++i) {
        if (i != which) {
            subPages_[i]->hide();
        }
    }
    subPages_[which]->setGeometry(rect());
    subPages_[which]->show();
    subPages_[which]->raise();
    ShowOverview(false);
}

void CAdvaceSettingsPage::ReturnToOverview() {
    for (CTabPageDlg* page : subPages_) {
        page->hide();
    }
    ShowOverview(true);
}

CSecurityPage* CAdvaceSettingsPage::SecurityPage() const {
    return static_cast<CSecurityPage*>(subPages_[kSecurity]);
}

CDiagnosticsPage* CAdvaceSettingsPage::DiagnosticsPage() const {
    return static_cast<CDiagnosticsPage*>(subPages_[kDiagnostics]);
}

CFactoryResetPage* CAdvaceSettingsPage::FactoryResetPage() const {
    return static_cast<CFactoryResetPage*>(subPages_[kFactoryReset]);
}

CQoSPage* CAdvaceSettingsPage::QosPage() const {
    return static_cast<CQoSPage*>(subPages_[kQos]);
}
