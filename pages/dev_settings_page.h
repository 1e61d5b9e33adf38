#pragma once

#include <QString>
#include <atomic>
#include <string>
#include <string_view>
#include <thread>

#include "pages/tab_page_dlg.h"

class CListCtrEX;

// The firmware value line of the details area for a firmware version text: the part before the first
// '-', " v", the part after the second '-' with every "0" written "0." and every '-' written '.' (and,
// with exactly one "0", a '.' before its last character), then the part between the two dashes.
std::string FirmwareLabelText(std::string_view version);

// The device settings page, tab 0: the adapters of the network with their link quality and LED state,
// the firmware details of the selected one, and the LED switch.
class CDevSettingsPage : public CTabPageDlg {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 129;
    static constexpr int kGroupId = 1044;
    static constexpr int kListId = 1003;
    static constexpr int kProgressId = 1008;
    static constexpr int kPercentId = 1035;
    static constexpr int kRefreshId = 1009;
    static constexpr int kDetailsId = 1010;
    static constexpr int kExpandId = 1011;
    static constexpr int kFirmwareCaptionId = 1012;
    static constexpr int kSubVersionCaptionId = 1013;
    static constexpr int kFirmwareValueId = 1014;
    static constexpr int kSubVersionValueId = 1015;
    // How much the details group grows when it opens.
    static constexpr int kDetailsGrowth = 70;

    using CTabPageDlg::CTabPageDlg;
    ~CDevSettingsPage() override;
    bool CreatePage(QWidget* parent) override;

    // Empties the list, holds the refresh button and the tab strip, and starts a device refresh on a worker;
    // the main window also calls it each time the user switches to this tab.
    void StartRefresh();
    // True from StartRefresh until the final status has been handled.
    bool Refreshing() const { return refreshing_; }
    // Waits for a running refresh to end without acting on what it reports (the window is closing).
    void AbandonRefresh();

    CListCtrEX* List() const;
    bool Expanded() const { return expanded_; }
    // The expand button's action: opens or closes the firmware details.
    void ToggleDetails();

signals:
    // Emitted at the start of every refresh.
    void refreshStarted();

protected:
    void OnInitPage() override;
    bool event(QEvent* event) override;

private:
    void SetUpList();
    void OnRefreshStatus(int status);
    // Moves the bar through `first`, `first + step`, ... up to `last`, pausing `pauseMs` before each.
    void Animate(int first, int last, int step, uint32_t pauseMs);
    void SetPosition(int position);
    void FinishRefresh();
    void FillList();
    void OnCurrentRowChanged(int row, int previous);
    void OnLedClicked(int row);
    void JoinWorker();

    bool expanded_ = false;
    bool refreshing_ = false;
    bool abandoning_ = false;
    std::thread worker_;
    std::atomic<bool> workerDone_{true};
};
