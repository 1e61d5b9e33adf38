#include "app/pemra_tabs.h"

#include <QMouseEvent>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>

#include "app/ui_text_paths.h"
#include "pages/about_page.h"
#include "pages/advace_settings_page.h"
#include "pages/dev_settings_page.h"
#include "pages/ui_prompts.h"

PageTabBar::PageTabBar(QWidget* parent) : QTabBar(parent) {
    setFocusPolicy(Qt::NoFocus);
    setDrawBase(false);
    setExpanding(false);
}

void PageTabBar::mousePressEvent(QMouseEvent* event) {
    QTabBar::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        emit clicked();
    }
}

void PageTabBar::keyPressEvent(QKeyEvent* event) {
    event->ignore();
}

void PageTabBar::wheelEvent(QWheelEvent* event) {
    event->ignore();
}

CPemraTabs::CPemraTabs(QWidget* parent) : QWidget(parent), tabBar_(new PageTabBar(this)) {
    pages_ = {new CDevSettingsPage, new CAdvaceSettingsPage, new CAboutPage};
    for (CTabPageDlg* page : pages_) {
        page->setParent(this);
        page->hide();
    }
    tabBar_->move(2, 2);
    connect(tabBar_, &PageTabBar::clicked, this, &CPemraTabs::OnTabClicked);
}

CDevSettingsPage* CPemraTabs::DevSettingsPage() const {
    return static_cast<CDevSettingsPage*>(pages_[0]);
}

CAdvaceSettingsPage* CPemraTabs::AdvancedPage() const {
    return static_cast<CAdvaceSettingsPage*>(pages_[1]);
}

CAboutPage* CPemraTabs::AboutPage() const {
    return static_cast<CAboutPage*>(pages_[2]);
}

void CPemraTabs::SetUpTabs() {
    for (const UiTextPath& caption :
         {DevSettingsPageUi::kTabCaption, AdvancedPageUi::kTabCaption, AboutPageUi::kTabCaption}) {
        tabBar_->addTab(UiText(caption));
    }
    tabBar_->resize(tabBar_->sizeHint());
    tabBar_->setCurrentIndex(0);
    currentTab_ = 0;
    pages_[0]->CreatePage(this);
    pages_[0]->show();
    pages_[1]->CreatePage(this);
    pages_[1]->hide();
    pages_[2]->CreatePage(this);
    pages_[2]->hide();
    pageCount_ = kPageCount;
    PlacePage(currentTab_);
    pages_[0]->setFocus();
}

void CPemraTabs::PlacePage(int index) {
    if (index < 0 || index >= pageCount_) {
        return;
    }
    // Rectangles as right- and bottom-exclusive edges: T the tab control, R the first tab item.
    const QRect item = tabBar_->tabRect(0).translated(tabBar_->pos());
    const int itemLeft = item.left();
    const int itemBottom = item.top() + item.height();
    CTabPageDlg* page = pages_[index];
    page->setGeometry(itemLeft, itemBottom + 1, qMax(0, width() - itemLeft - 1), qMax(0, height() - itemBottom - 2));
    page->raise();
    page->show();
}

void CPemraTabs::SetTabStripEnabled(bool enabled) {
    tabBar_->setEnabled(enabled);
}

void CPemraTabs::OnTabClicked() {
    const int focused = tabBar_->currentIndex();
    if (focused < 0 || focused >= pageCount_ || focused == currentTab_) {
        return;
    }
    pages_[currentTab_]->hide();
    currentTab_ = static_cast<uint16_t>(focused);
    pages_[currentTab_]->show();
    pages_[currentTab_]->setFocus();
    PlacePage(currentTab_);
    if (currentTab_ == 0) {
        DevSettingsPage()->StartRefresh();
    } else if (currentTab_ == 1) {
        AdvancedPage()->ReturnToOverview();
    }
}

void CPemraTabs::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    const int top = tabBar_->geometry().bottom() + 1;
    frame.rect = QRect(0, top - 1, width(), height() - top + 1);
    frame.shape = QTabBar::RoundedNorth;
    frame.tabBarSize = tabBar_->size();
    frame.tabBarRect = tabBar_->geometry();
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, frame);
}
