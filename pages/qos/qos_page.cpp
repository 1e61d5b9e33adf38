#include "pages/qos/qos_page.h"

namespace {

constexpr PageTemplate kTemplate{CQoSPage::kTemplateId, 334, 192, {}};

} // namespace

bool CQoSPage::CreatePage(QWidget* parent) {
    return CreateFromTemplate(parent, kTemplate);
}
