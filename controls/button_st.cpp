#include "controls/button_st.h"

#include <QEvent>
#include <QPainter>

namespace {

// Caption colour while the pointer is over the button or it is pressed.
const QColor kHoverTextColor(255, 0, 255);

} // namespace

CButtonST::CButtonST(QWidget* parent) : QAbstractButton(parent) {
    normalBack_ = palette().color(QPalette::Button);
    hoverBack_ = normalBack_;
    normalText_ = palette().color(QPalette::ButtonText);
    setAttribute(Qt::WA_Hover);
}

void CButtonST::SetIcon(const QIcon& hover, const QIcon& normal, QSize size) {
    hoverIcon_ = hover;
    normalIcon_ = normal.isNull() ? hover : normal;
    iconSize_ = size;
    update();
}

void CButtonST::SetAlign(IconAlign align) {
    align_ = align;
    update();
}

void CButtonST::SetFlat(bool flat) {
    flat_ = flat;
    update();
}

void CButtonST::SetBorderOnHover(bool on) {
    borderOnHover_ = on;
    update();
}

void CButtonST::SetShowText(bool show) {
    showText_ = show;
    update();
}

void CButtonST::SetDrawFocus(bool draw) {
    drawFocus_ = draw;
    update();
}

void CButtonST::SetColors(const QColor& normalBack, const QColor& hoverBack, const QColor& normalText) {
    normalBack_ = normalBack;
    hoverBack_ = hoverBack;
    normalText_ = normalText;
    update();
}

void CButtonST::SetBtnCursor(const QCursor& cursor) {
    setCursor(cursor);
}

void CButtonST::SetTooltipText(const QString& text) {
    setToolTip(text);
}

QSize CButtonST::sizeHint() const {
    return iconSize_ + QSize(8, 8);
}

void CButtonST::enterEvent(QEnterEvent* event) {
    if (isEnabled()) {
        hover_ = true;
        update();
    }
    QAbstractButton::enterEvent(event);
}

void CButtonST::leaveEvent(QEvent* event) {
    hover_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void CButtonST::focusOutEvent(QFocusEvent* event) {
    hover_ = false;
    update();
    QAbstractButton::focusOutEvent(event);
}

void CButtonST::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        hover_ = false;
    }
    QAbstractButton::changeEvent(event);
}

void CButtonST::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect();
    const bool pressed = isDown();
    const bool active = (hover_ || pressed) && isEnabled();
    painter.fillRect(area, active ? hoverBack_ : normalBack_);

    const QColor light = palette().color(QPalette::Light);
    const QColor shadow = palette().color(QPalette::Shadow).lighter(160);
    auto edge = [&](const QColor& topLeft, const QColor& bottomRight) {
        painter.setPen(topLeft);
        painter.drawLine(area.topLeft(), area.topRight());
        painter.drawLine(area.topLeft(), area.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(area.bottomLeft(), area.bottomRight());
        painter.drawLine(area.topRight(), area.bottomRight());
    };
    if (pressed) {
        edge(shadow, light);
    } else if (!flat_ || (hover_ && borderOnHover_ && isEnabled())) {
        edge(light, shadow);
    }

    const QIcon& icon = active ? hoverIcon_ : normalIcon_;
    const QString caption = showText_ ? text() : QString();
    const QFontMetrics metrics(font());
    const QSize iconSize = icon.isNull() ? QSize(0, 0) : iconSize_;
    QRect iconRect;
    QRect textRect;
    if (align_ == IconAlign::Above || caption.isEmpty()) {
        const int textHeight = caption.isEmpty() ? 0 : metrics.height() + 2;
        const int top = (area.height() - iconSize.height() - textHeight) / 2;
        iconRect = QRect(QPoint((area.width() - iconSize.width()) / 2, top), iconSize);
        textRect = QRect(0, top + iconSize.height() + 2, area.width(), metrics.height());
    } else {
        const int textWidth = metrics.horizontalAdvance(caption);
        const int left = (area.width() - iconSize.width() - 4 - textWidth) / 2;
        iconRect = QRect(QPoint(left, (area.height() - iconSize.height()) / 2), iconSize);
        textRect = QRect(iconRect.right() + 5, 0, textWidth + 1, area.height());
    }
    if (pressed) {
        iconRect.translate(1, 1);
        textRect.translate(1, 1);
    }
    if (!icon.isNull()) {
        icon.paint(&painter, iconRect, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
    }
    if (!caption.isEmpty()) {
        painter.setPen(!isEnabled() ? palette().color(QPalette::Disabled, QPalette::ButtonText)
                                    : (active ? kHoverTextColor : normalText_));
        painter.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine, caption);
    }
    if (drawFocus_ && hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        painter.drawRect(area.adjusted(3, 3, -4, -4));
    }
}
