#include "pages/tab_page_dlg.h"

#include <QPainter>

#include "pages/return_key.h"

CTabPageDlg::CTabPageDlg(QWidget* parent) : QWidget(parent) {
    setFont(DialogFont());
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool CTabPageDlg::CreateFromTemplate(QWidget* parent, const PageTemplate& pageTemplate,
                                     const CustomCtrlFactory& factory) {
    if (created_) {
        return true;
    }
    setParent(parent);
    hide();
    resize(DluToPxX(pageTemplate.width), DluToPxY(pageTemplate.height));
    setProperty("templateId", pageTemplate.id);
    SwallowReturnKeyIn(this);
    controls_ = BuildControls(*this, pageTemplate, factory);
    created_ = true;
    OnInitPage();
    return true;
}

void CTabPageDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
