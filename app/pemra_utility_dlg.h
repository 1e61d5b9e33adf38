#pragma once

#include <QDialog>
#include <memory>

#include "platform/link_arrivals.h"

class CPemraTabs;
class CBitmapStatic;
class QPushButton;
class QSocketNotifier;

// The main window: banner, the tab control with the three pages, and the Close button. It starts the link
// engine when it opens and stops it when it goes, and reopens the capture interface when a network
// interface appears.
class CPemra_UtilityDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kAboutItemText = "&About Pemra_Utility...";
    static constexpr const char* kRegistrationCaption = "Registration";

    explicit CPemra_UtilityDlg(QWidget* parent = nullptr);
    ~CPemra_UtilityDlg() override;

    CPemraTabs* Tabs() const { return tabs_; }
    QPushButton* CloseButton() const { return closeButton_; }
    CBitmapStatic* Banner() const { return banner_; }
    // Runs the about box modally (the About item of the window's menu).
    void ShowAbout();
    // Reads the pending interface arrivals and reopens the capture interface when there were any.
    void OnLinkActivity();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void OnInitDialog();
    void RegisterArrivals();

    CPemraTabs* tabs_ = nullptr;
    CBitmapStatic* banner_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    LinkArrivalWatcher arrivals_;
    QSocketNotifier* arrivalNotifier_ = nullptr;
};
