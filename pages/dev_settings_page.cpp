#include "pages/dev_settings_page.h"

namespace {

constexpr PageTemplate kTemplate{CDevSettingsPage::kTemplateId, 338, 193, {}};

} // namespace

bool CDevSettingsPage::CreatePage(QWidget* parent) {
    return CreateFromTemplate(parent, kTemplate);
}

void CDevSettingsPage::StartRefresh() {
    emit refreshStarted();
}
