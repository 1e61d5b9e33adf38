#include "app/pemra_utility_dlg.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPushButton>
#include <QSocketNotifier>

#include "app/about_dlg.h"
#include "app/load_ui_setting.h"
#include "app/pemra_tabs.h"
#include "app/ui_text_paths.h"
#include "controls/artwork.h"
#include "controls/bitmap_static.h"
#include "engine/device_ops.h"
#include "pages/dev_settings_page.h"
#include "pages/page_template.h"
#include "pages/return_key.h"
#include "pages/ui_prompts.h"
#include "pages/widget_window.h"

namespace {

// Window sizes from the language file are kept within what a display can show.
constexpr int kMaxWindowSide = 16384;

int WindowSide(const std::string& text) {
    return qBound(1, int(UiTextToInt(text)), kMaxWindowSide);
}

} // namespace

CPemra_UtilityDlg::CPemra_UtilityDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Pemra_Utility"));
    setFont(DialogFont());
    SwallowReturnKeyIn(this);
    OnInitDialog();
}

CPemra_UtilityDlg::~CPemra_UtilityDlg() {
    // A refresh still running must end before the engine's layers go.
    if (tabs_ != nullptr && tabs_->DevSettingsPage() != nullptr) {
        tabs_->DevSettingsPage()->AbandonRefresh();
    }
    StopEngine();
}

void CPemra_UtilityDlg::OnInitDialog() {
    setWindowIcon(AppIcon());

    // Title, then height and width, read one after another into the same text: a failed read leaves the
    // text before it in place.
    std::string text;
    ReadUiText(UISetting(), MainWindowUi::kTitle, text);
    setWindowTitle(ReplaceModel(QString::fromUtf8(text)));
    ReadUiText(UISetting(), MainWindowUi::kHeight, text);
    const int height = WindowSide(text);
    ReadUiText(UISetting(), MainWindowUi::kWidth, text);
    const int width = WindowSide(text);
    // The language file gives the client area, the layout its controls were placed in.
    move(0, 0);
    setFixedSize(width, height);

    tabs_ = new CPemraTabs(this);
    tabs_->setGeometry(DluRect(17, 57, 327, 205));

    banner_ = new CBitmapStatic(this);
    banner_->SetTransparentColor(Qt::white);
    banner_->SetBitmap(ArtworkPath(132));
    const QRect bannerRect = DluRect(7, 7, 382, 49);
    // Cut to the window with the same margin on both sides rather than running off its right edge.
    banner_->setGeometry(bannerRect.x(), bannerRect.y(), qMin(bannerRect.width(), width - 2 * bannerRect.x()),
                         bannerRect.height());

    closeButton_ = new QPushButton(QStringLiteral("Close"), this);
    closeButton_->setAutoDefault(false);
    closeButton_->setGeometry(DluRect(291, 248, 40, 11));
    WidgetWindow closeWindow(closeButton_);
    LoadUiControl(UISetting(), closeWindow, MainWindowUi::kControls[0]);
    // Above the tab control, whose lower right corner it shares.
    closeButton_->raise();
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::reject);

    StartEngine();
    tabs_->SetUpTabs();
    RegisterArrivals();
}

void CPemra_UtilityDlg::RegisterArrivals() {
    int error = 0;
    if (!arrivals_.Open(error)) {
        UiPrompts().ShowMessage(this, PromptIcon::Information, QString::fromLatin1(kRegistrationCaption),
                                QStringLiteral("RegisterDeviceNotification failed: %1\n").arg(error));
        return;
    }
    arrivalNotifier_ = new QSocketNotifier(arrivals_.Fd(), QSocketNotifier::Read, this);
    connect(arrivalNotifier_, &QSocketNotifier::activated, this, &CPemra_UtilityDlg::OnLinkActivity);
}

void CPemra_UtilityDlg::OnLinkActivity() {
    if (arrivals_.ReadArrivals() > 0) {
        ReopenChannel();
    }
}

void CPemra_UtilityDlg::ShowAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CPemra_UtilityDlg::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(QString::fromLatin1(kAboutItemText), this, &CPemra_UtilityDlg::ShowAbout);
    menu.exec(event->globalPos());
}
