#include "app/pemra_utility_app.h"

#include <cstdio>

#include "app/language_table.h"
#include "app/load_ui_setting.h"
#include "app/pemra_utility_dlg.h"
#include "pages/ui_prompts.h"
#include "platform/language_id.h"
#include "security/device_store.h"

CPemra_UtilityApp::CPemra_UtilityApp(Options options) : options_(std::move(options)), lock_(options_.lockPath) {}

bool CPemra_UtilityApp::InitInstance() {
    if (!lock_.TryAcquire()) {
        return false;
    }
    DeviceStore::Instance().Load(kDeviceStoreFile);
    const uint16_t langId = options_.langId ? options_.langId() : DefaultLangId();
    InstallLoaderWarningBoxes();
    if (!UISetting().LoadXmlFile(std::string(LanguageFileFor(langId)))) {
        UISetting().ReleaseDocument();
        return true;
    }
    CPemra_UtilityDlg dialog;
    ranMainWindow_ = true;
    if (options_.runMainWindow) {
        options_.runMainWindow(dialog);
    } else {
        dialog.exec();
    }
    return true;
}

void CPemra_UtilityApp::ExitInstance() {
    if (!lock_.Held()) {
        return;
    }
    DeviceStore::Instance().Save(kDeviceStoreFile);
    std::remove("diag.txt");
    UISetting().ReleaseDocument();
}
