#include "pages/about_page.h"

namespace {

constexpr PageTemplate kTemplate{CAboutPage::kTemplateId, 307, 176, {}};

} // namespace

bool CAboutPage::CreatePage(QWidget* parent) {
    return CreateFromTemplate(parent, kTemplate);
}
