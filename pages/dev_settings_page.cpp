#include "pages/dev_settings_page.h"

#include <QApplication>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <chrono>

#include "app/load_ui_setting.h"
#include "controls/artwork.h"
#include "controls/button_st.h"
#include "controls/group_ex.h"
#include "controls/label.h"
#include "controls/led_clicked_event.h"
#include "controls/list_ctr_ex.h"
#include "engine/device_ops.h"
#include "engine/page_refresh.h"
#include "pages/pswdlg.h"
#include "pages/ui_prompts.h"
#include "pages/wait_dialog.h"
#include "platform/clock.h"
#include "security/device_passwords.h"

namespace {

constexpr int kExpandIcon = 137;
constexpr int kCollapseIcon = 158;

constexpr TemplateCtrl kControls[] = {
    {CDevSettingsPage::kGroupId, CtrlKind::GroupBox, 7, 4, 310, 103, "Available Devices"},
    {CDevSettingsPage::kListId, CtrlKind::Custom, 17, 16, 288, 70, ""},
    {CDevSettingsPage::kProgressId, CtrlKind::ProgressBar, 18, 94, 200, 9, ""},
    {CDevSettingsPage::kPercentId, CtrlKind::Label, 223, 94, 21, 8, "0%"},
    {CDevSettingsPage::kRefreshId, CtrlKind::PushButton, 255, 92, 42, 10, "Refeash"},
    {CDevSettingsPage::kDetailsId, CtrlKind::GroupBox, 8, 110, 309, 29, "Addition Info"},
    {CDevSettingsPage::kExpandId, CtrlKind::IconButton, 281, 117, 18, 15, ""},
    {CDevSettingsPage::kFirmwareCaptionId, CtrlKind::Label, 26, 126, 61, 8,
     "Firmware Version:", kCtrlAlignRight | kCtrlHidden},
    {CDevSettingsPage::kSubVersionCaptionId, CtrlKind::Label, 30, 138, 57, 8,
     "Sub Version:", kCtrlAlignRight | kCtrlHidden},
    {CDevSettingsPage::kFirmwareValueId, CtrlKind::Label, 101, 126, 165, 8, ""},
    {CDevSettingsPage::kSubVersionValueId, CtrlKind::Label, 103, 138, 56, 8, ""},
};

constexpr PageTemplate kTemplate{CDevSettingsPage::kTemplateId, 338, 193, kControls};

QString DeviceWord() {
    return UiText(DevSettingsPageUi::kDeviceWord);
}

QString ShownName(const DeviceRecord& record, const QString& deviceWord) {
    return QString::fromStdString(DisplayName(record.name, deviceWord.toStdString()));
}

// The tab control that holds the page, when there is one, keeps its pages but not its tab strip usable.
void SetTabStripEnabled(QWidget* tabs, bool enabled) {
    if (tabs != nullptr && tabs->metaObject()->indexOfMethod("SetTabStripEnabled(bool)") >= 0) {
        QMetaObject::invokeMethod(tabs, "SetTabStripEnabled", Qt::DirectConnection, Q_ARG(bool, enabled));
    }
}

void Replace(std::string& text, char from, std::string_view to) {
    std::string out;
    for (char c : text) {
        if (c == from) {
            out.append(to);
        } else {
            out.push_back(c);
        }
    }
    text = std::move(out);
}

} // namespace

std::string FirmwareLabelText(std::string_view version) {
    const size_t first = version.find('-');
    const std::string_view head = first == std::string_view::npos ? std::string_view() : version.substr(0, first);
    const std::string_view rest = first == std::string_view::npos ? version : version.substr(first + 1);
    const size_t second = rest.find('-');
    std::string tail(second == std::string_view::npos ? rest : rest.substr(second + 1));
    const std::string_view middle = second == std::string_view::npos ? std::string_view() : rest.substr(0, second);
    const auto zeros = std::count(tail.begin(), tail.end(), '0');
    Replace(tail, '0', "0.");
    Replace(tail, '-', ".");
    if (zeros == 1) {
        tail.insert(tail.size() - 1, 1, '.');
    }
    std::string label(head);
    label += " v";
    label += tail;
    label += middle;
    return label;
}

CDevSettingsPage::~CDevSettingsPage() {
    AbandonRefresh();
}

bool CDevSettingsPage::CreatePage(QWidget* parent) {
    return CreateFromTemplate(parent, kTemplate, [](const TemplateCtrl& control, QWidget* owner) -> QWidget* {
        return control.id == kListId ? new CListCtrEX(owner) : nullptr;
    });
}

CListCtrEX* CDevSettingsPage::List() const {
    return ControlAs<CListCtrEX>(kListId);
}

void CDevSettingsPage::OnInitPage() {
    ApplyLanguage(UISetting(), Controls(), DevSettingsPageUi::kControls);
    if (auto* caption = ControlAs<CLabel>(kSubVersionCaptionId)) {
        caption->SetText(UiText(DevSettingsPageUi::kSubVersionLabel) + QLatin1Char(':'));
    }
    for (int id : {kSubVersionCaptionId, kSubVersionValueId, kFirmwareValueId, kFirmwareCaptionId, kPercentId}) {
        if (auto* label = ControlAs<CLabel>(id)) {
            label->SetBkColor(Qt::white);
        }
    }
    for (int id : {kDetailsId, kGroupId}) {
        if (auto* group = ControlAs<CGroupEX>(id)) {
            group->SetBkColor(Qt::white);
        }
    }
    SetUpList();

    if (auto* expand = ControlAs<CButtonST>(kExpandId)) {
        expand->setText(QString());
        expand->SetShowText(false);
        // On the white page, not on the button face.
        expand->SetColors(Qt::white, Qt::white, Qt::black);
        expand->SetIcon(ArtworkIcon(kExpandIcon), QIcon(), QSize(32, 32));
        expand->SetBtnCursor(HandCursor());
        expand->SetTooltipText(UiText(DevSettingsPageUi::kExpandTooltip));
        connect(expand, &QAbstractButton::clicked, this, &CDevSettingsPage::ToggleDetails);
    }
    if (auto* bar = ControlAs<QProgressBar>(kProgressId)) {
        bar->setRange(0, 100);
    }
    if (auto* refresh = ControlAs<QPushButton>(kRefreshId)) {
        connect(refresh, &QPushButton::clicked, this, &CDevSettingsPage::StartRefresh);
    }

    if (auto* expand = ControlAs<CButtonST>(kExpandId)) {
        expand->SetIcon(ArtworkIcon(kCollapseIcon), QIcon(), QSize(32, 32));
    }
    expanded_ = true;
    if (QWidget* details = Control(kDetailsId)) {
        details->resize(details->width(), details->height() + kDetailsGrowth);
    }
    for (int id : {kFirmwareCaptionId, kSubVersionCaptionId}) {
        if (QWidget* label = Control(id)) {
            label->show();
        }
    }
    StartRefresh();
}

void CDevSettingsPage::SetUpList() {
    CListCtrEX* list = List();
    if (list == nullptr) {
        return;
    }
    for (int column = 0; column < int(std::size(DevSettingsPageUi::kColumns)); ++column) {
        const UiColumn& element = DevSettingsPageUi::kColumns[column];
        const QString heading = UiText(element.Heading());
        std::string width;
        ReadUiText(UISetting(), element.Width(), width);
        list->InsertColumn(column, heading, qBound(0, int(UiTextToInt(width)), 4096));
    }
    list->SetLedTooltipSource([] { return UiText(DevSettingsPageUi::kLedTooltip); });
    connect(list, &QTreeWidget::currentItemChanged, this, [this, list](QTreeWidgetItem* current, QTreeWidgetItem*) {
        if (current != nullptr) {
            OnCurrentRowChanged(list->indexOfTopLevelItem(current), -1);
        }
    });
}

void CDevSettingsPage::StartRefresh() {
    emit refreshStarted();
    if (refreshing_) {
        return;
    }
    JoinWorker();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (CListCtrEX* list = List()) {
        list->DeleteAllItems();
    }
    if (QWidget* refresh = Control(kRefreshId)) {
        refresh->setEnabled(false);
    }
    SetTabStripEnabled(parentWidget(), false);
    for (int id : {kFirmwareValueId, kSubVersionValueId}) {
        if (auto* label = ControlAs<CLabel>(id)) {
            label->SetText(QString());
            label->SetBkColor(Qt::white);
        }
    }
    if (auto* details = ControlAs<CGroupEX>(kDetailsId)) {
        details->SetText(UiText(DevSettingsPageUi::kDetailsTitle));
    }
    refreshing_ = true;
    workerDone_ = false;
    worker_ = std::thread([this] {
        // Each status is handled on the user-interface thread while the worker waits, so the page reads a
        // table that nobody writes.
        RunPageRefresh(RefreshPage::DeviceSettings, [this](int status) {
            QMetaObject::invokeMethod(
                this, [this, status] { OnRefreshStatus(status); }, Qt::BlockingQueuedConnection);
        });
        workerDone_ = true;
    });
    QApplication::restoreOverrideCursor();
}

void CDevSettingsPage::JoinWorker() {
    if (worker_.joinable()) {
        worker_.join();
    }
}

void CDevSettingsPage::AbandonRefresh() {
    abandoning_ = true;
    // The worker may be waiting for the page to handle a status: handle its calls (as no-ops) until it ends.
    while (!workerDone_) {
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    JoinWorker();
    refreshing_ = false;
    abandoning_ = false;
}

void CDevSettingsPage::SetPosition(int position) {
    if (auto* bar = ControlAs<QProgressBar>(kProgressId)) {
        bar->setValue(position);
    }
    if (auto* percent = ControlAs<CLabel>(kPercentId)) {
        percent->SetText(QStringLiteral("%1%").arg(position));
        percent->repaint();
    }
}

void CDevSettingsPage::Animate(int first, int last, int step, uint32_t pauseMs) {
    for (int position = first; position <= last; position += step) {
        SleepMs(pauseMs);
        SetPosition(position);
    }
}

void CDevSettingsPage::FinishRefresh() {
    refreshing_ = false;
    if (QWidget* refresh = Control(kRefreshId)) {
        refresh->setEnabled(true);
    }
    SetTabStripEnabled(parentWidget(), true);
}

void CDevSettingsPage::OnRefreshStatus(int status) {
    if (abandoning_) {
        return;
    }
    switch (status) {
    case kRefreshStarted:
        Animate(0, 14, 1, 1);
        break;
    case kRefreshStations:
        Animate(15, 29, 1, 1);
        break;
    case kRefreshDevices:
        Animate(30, 78, 2, 2);
        break;
    case kRefreshDone:
        Animate(80, 98, 2, 2);
        if (auto* bar = ControlAs<QProgressBar>(kProgressId)) {
            bar->setValue(0);
        }
        FinishRefresh();
        SetPosition(0);
        FillList();
        break;
    case kRefreshFailedSettings:
        Animate(15, 100, 5, 1);
        ShowPageMessage(this, MessagesUi::kNoLocalAdapter);
        SetPosition(0);
        FinishRefresh();
        break;
    default:
        break;
    }
}

void CDevSettingsPage::FillList() {
    CListCtrEX* list = List();
    if (list == nullptr) {
        return;
    }
    const DeviceTable& table = Devices();
    const QString word = DeviceWord();
    for (int index : PresentRecords()) {
        const DeviceRecord& record = table.records[index];
        // The local adapter's quality is the best host rate, or none when it is alone on the network.
        int rate = record.rate;
        if (index == 0) {
            rate = table.count == 1 ? -1 : table.records[0].rate;
        }
        list->AppendRow({ShownName(record, word),
                         QString::fromStdString(ModelFromFirmwareVersion(record.firmwareVersion)),
                         QString::fromStdString(FormatMac(record.mac))},
                        rate, record.ledOn != 0);
    }
}

void CDevSettingsPage::OnCurrentRowChanged(int row, int) {
    const std::vector<int> present = PresentRecords();
    if (row < 0 || row >= int(present.size())) {
        return;
    }
    const DeviceRecord& record = Devices().records[present[row]];
    if (auto* details = ControlAs<CGroupEX>(kDetailsId)) {
        details->SetText(UiText(DevSettingsPageUi::kDetailsTitle) + QLatin1Char(' ') + ShownName(record, DeviceWord()));
        details->SetBkColor(Qt::white);
    }
    if (auto* firmware = ControlAs<CLabel>(kFirmwareValueId)) {
        firmware->SetText(QString::fromStdString(FirmwareLabelText(record.firmwareVersion)));
        firmware->SetBkColor(Qt::white);
    }
    if (auto* build = ControlAs<CLabel>(kSubVersionValueId)) {
        build->SetText(QString::fromUtf8(record.firmwareBuild));
        build->SetBkColor(Qt::white);
    }
}

void CDevSettingsPage::ToggleDetails() {
    expanded_ = !expanded_;
    if (auto* expand = ControlAs<CButtonST>(kExpandId)) {
        expand->SetIcon(ArtworkIcon(expanded_ ? kCollapseIcon : kExpandIcon), QIcon(), QSize(32, 32));
    }
    if (QWidget* details = Control(kDetailsId)) {
        details->resize(details->width(), details->height() + (expanded_ ? kDetailsGrowth : -kDetailsGrowth));
        details->repaint();
    }
    for (int id : {kFirmwareCaptionId, kSubVersionCaptionId, kFirmwareValueId, kSubVersionValueId}) {
        if (QWidget* label = Control(id)) {
            label->setVisible(expanded_);
        }
    }
}

bool CDevSettingsPage::event(QEvent* event) {
    if (event->type() == LedClickedEvent::Type()) {
        OnLedClicked(static_cast<LedClickedEvent*>(event)->Row());
        return true;
    }
    return CTabPageDlg::event(event);
}

void CDevSettingsPage::OnLedClicked(int row) {
    CListCtrEX* list = List();
    // A click that arrives once a refresh has emptied the list concerns a row that is gone.
    if (list == nullptr || refreshing_ || row < 0 || row >= list->ItemCount()) {
        return;
    }
    list->setCurrentItem(list->topLevelItem(row));
    list->setFocus();
    const MacAddress mac = ParseMac(list->ItemText(row, 2).toStdString());
    const bool wasOn = list->LedState(row);

    // The local adapter is told apart by its address, so it never needs a password whatever its row.
    if (NeedsDevicePassword(mac)) {
        CPswdlg dialog;
        dialog.ClearRows();
        dialog.AddRow(row);
        if (dialog.Run() != CPswdlg::kOk) {
            StartRefresh();
            return;
        }
    }

    const bool on = !wasOn;
    bool changed = false;
    RunWithWaitDialog(
        this, [&] { changed = SetDeviceLed(mac, on); },
        [&] {
            if (changed) {
                list->SetLedState(row, on);
                list->viewport()->repaint();
            }
            ShowPageMessage(this,
                            !changed ? MessagesUi::kLedChangeFailed : (on ? MessagesUi::kLedOn : MessagesUi::kLedOff));
        });
    StartRefresh();
}
