#include "pages/factory_reset_page.h"

namespace {

constexpr PageTemplate kTemplate{CFactoryResetPage::kTemplateId, 325, 199, {}};

} // namespace

bool CFactoryResetPage::CreatePage(QWidget* parent) {
    return CreateFromTemplate(parent, kTemplate);
}
