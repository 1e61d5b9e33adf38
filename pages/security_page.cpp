#include "pages/security_page.h"

namespace {

constexpr PageTemplate kTemplate{CSecurityPage::kTemplateId, 335, 197, {}};

} // namespace

bool CSecurityPage::CreatePage(QWidget* parent) {
    return CreateFromTemplate(parent, kTemplate);
}
