#include "pages/diagnostics_page.h"

namespace {

constexpr PageTemplate kTemplate{CDiagnosticsPage::kTemplateId, 339, 205, {}};

} // namespace

bool CDiagnosticsPage::CreatePage(QWidget* parent) {
    return CreateFromTemplate(parent, kTemplate);
}
