#include "pages/pswdlg.h"

#include <QLineEdit>
#include <QPushButton>

#include "app/load_ui_setting.h"
#include "controls/artwork.h"
#include "controls/bitmap_static.h"
#include "controls/group_ex.h"
#include "controls/label.h"
#include "controls/report_ctrl.h"
#include "engine/device_ops.h"
#include "pages/return_key.h"
#include "pages/ui_prompts.h"
#include "security/device_passwords.h"

namespace {

constexpr TemplateCtrl kControls[] = {
    {CPswdlg::kGroupId, CtrlKind::GroupBox, 7, 4, 233, 86, "Please enter a password"},
    {CPswdlg::kListId, CtrlKind::Custom, 14, 15, 219, 68, ""},
    {CPswdlg::kFormLabelId, CtrlKind::Label, 10, 94, 227, 18, ""},
    {CPswdlg::kExampleLabelId, CtrlKind::Label, 10, 114, 227, 18, ""},
    {CPswdlg::kPictureId, CtrlKind::Bitmap, 14, 135, 101, 59, ""},
    {CPswdlg::kOkId, CtrlKind::PushButton, 136, 194, 48, 14, "OK"},
    {CPswdlg::kCancelId, CtrlKind::PushButton, 190, 194, 48, 14, "Cancel"},
};

constexpr PageTemplate kTemplate{CPswdlg::kTemplateId, 247, 214, kControls};

std::function<void(CPswdlg&)>& RunHook() {
    static std::function<void(CPswdlg&)> hook;
    return hook;
}

} // namespace

CPswdlg::CPswdlg() : QDialog(nullptr) {
    setWindowTitle(QStringLiteral("Enter Device Password"));
    setFont(DialogFont());
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    setPalette(colours);
    setAutoFillBackground(true);
    resize(DluToPxX(kTemplate.width), DluToPxY(kTemplate.height));
    controls_ = BuildControls(*this, kTemplate, [](const TemplateCtrl& control, QWidget* parent) -> QWidget* {
        return control.id == kListId ? new CReportCtrl(parent) : nullptr;
    });
    for (int id : {kFormLabelId, kExampleLabelId}) {
        if (auto* label = controls_.Get<CLabel>(id)) {
            label->SetBkColor(Qt::white);
        }
    }
    if (auto* picture = controls_.Get<CBitmapStatic>(kPictureId)) {
        picture->SetBitmap(ArtworkPath(kPictureId));
        picture->resize(picture->BitmapSize());
    }
    if (auto* ok = controls_.Get<QPushButton>(kOkId)) {
        connect(ok, &QPushButton::clicked, this, &CPswdlg::OnOk);
    }
    if (auto* cancel = controls_.Get<QPushButton>(kCancelId)) {
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    }
    if (CReportCtrl* list = List()) {
        // Only the password column is typed in: the name and the address say which adapter is meant.
        list->SetEditableColumns([](int column) { return column == CReportCtrl::kClickEditColumn; });
        AllowReturnKey(list->EditBox());
    }
}

CReportCtrl* CPswdlg::List() const {
    return controls_.Get<CReportCtrl>(kListId);
}

void CPswdlg::ClearRows() {
    rows_.clear();
}

void CPswdlg::AddRow(int row) {
    if (int(rows_.size()) < kMaxRows) {
        rows_.push_back(row);
    }
}

void CPswdlg::SetRunHook(std::function<void(CPswdlg&)> hook) {
    RunHook() = std::move(hook);
}

int CPswdlg::Run() {
    OnInitDialog();
    if (RunHook()) {
        setResult(QDialog::Rejected);
        show();
        RunHook()(*this);
        if (isVisible()) {
            done(QDialog::Rejected);
        }
        return result() == QDialog::Accepted ? kOk : kCancel;
    }
    return exec() == QDialog::Accepted ? kOk : kCancel;
}

void CPswdlg::OnInitDialog() {
    setWindowTitle(UiText(PasswordDialogUi::kTitle));
    ApplyLanguage(UISetting(), controls_, PasswordDialogUi::kControls);
    CReportCtrl* list = List();
    if (list == nullptr) {
        return;
    }
    list->clear();
    list->setColumnCount(0);
    for (int column = 0; column < int(std::size(PasswordDialogUi::kColumns)); ++column) {
        const UiColumn& element = PasswordDialogUi::kColumns[column];
        const QString heading = UiText(element.Heading());
        std::string width;
        ReadUiText(UISetting(), element.Width(), width);
        list->InsertColumn(column, heading, qBound(0, int(UiTextToInt(width)), 4096));
    }
    list->SetEditable(true);

    const std::vector<int> present = PresentRecords();
    const QString word = UiText(DevSettingsPageUi::kDeviceWord);
    for (int row : rows_) {
        if (row < 0 || row >= int(present.size())) {
            continue;
        }
        const DeviceRecord& record = Devices().records[present[row]];
        const int at =
            list->InsertItem(list->ItemCount(), QString::fromStdString(DisplayName(record.name, word.toStdString())));
        list->SetItemText(at, 1, QString::fromStdString(FormatMac(record.mac)));
        // A known password (or the local adapter's built-in one) shows masked; otherwise the prompt.
        list->SetItemText(at, 2,
                          NeedsDevicePassword(record.mac)
                              ? UiText(PasswordDialogUi::kPasswordPrompt)
                              : QString::fromLatin1(kMaskedPassword.data(), qsizetype(kMaskedPassword.size())));
    }
}

void CPswdlg::OnOk() {
    CReportCtrl* list = List();
    if (list == nullptr) {
        return;
    }
    list->EndEdit(true);
    for (int row = 0; row < list->ItemCount(); ++row) {
        const MacAddress mac = ParseMac(list->ItemText(row, 1).toStdString());
        const std::string typed = list->ItemText(row, 2).toStdString();
        switch (CheckDevicePassword(mac, typed)) {
        case PasswordCheck::Passed:
        case PasswordCheck::Skipped:
            continue;
        case PasswordCheck::Empty:
        case PasswordCheck::TooLong:
        case PasswordCheck::NoAnswer:
            ShowPageMessage(this, MessagesUi::kWrongDevicePassword);
            return;
        }
    }
    accept();
}
