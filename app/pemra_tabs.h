#pragma once

#include <QTabBar>
#include <QWidget>
#include <array>
#include <cstdint>

class CTabPageDlg;
class CDevSettingsPage;
class CAdvaceSettingsPage;
class CAboutPage;

// The tab strip: a page changes only when a click selects a tab other than the current one. Keys and the
// mouse wheel do not move the selection, so the selected tab is always the page shown.
class PageTabBar : public QTabBar {
    Q_OBJECT
public:
    explicit PageTabBar(QWidget* parent = nullptr);

signals:
    // After a left click has been handled (and has moved the selection, if it hit a tab).
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
};

// The tab control of the main window with its three pages.
class CPemraTabs : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPageCount = 3;

    explicit CPemraTabs(QWidget* parent = nullptr);

    // Inserts the three tabs with their captions from the language file and creates the pages; page 0
    // is shown and has the focus.
    void SetUpTabs();
    // Places the page of tab `index` inside the tab control, below the tab strip, on top, shown.
    void PlacePage(int index);

    int CurrentTab() const { return currentTab_; }
    int PageCount() const { return pageCount_; }
    CTabPageDlg* Page(int index) const { return pages_[index]; }
    CDevSettingsPage* DevSettingsPage() const;
    CAdvaceSettingsPage* AdvancedPage() const;
    CAboutPage* AboutPage() const;
    PageTabBar* TabBar() const { return tabBar_; }
    // Enables or disables only the tab strip, so that the pages stay usable (a refresh holds the tabs).
    Q_INVOKABLE void SetTabStripEnabled(bool enabled);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void OnTabClicked();

    PageTabBar* tabBar_;
    std::array<CTabPageDlg*, kPageCount> pages_{};
    int pageCount_ = 0;
    uint16_t currentTab_ = 0;
};
