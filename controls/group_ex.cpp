#include "controls/group_ex.h"

#include <QPainter>

CGroupEX::CGroupEX(QWidget* parent) : QWidget(parent) {
    // Clicks fall through to the controls the group box frames.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void CGroupEX::SetText(const QString& text) {
    text_ = text;
    update();
}

void CGroupEX::SetBkColor(const QColor& color) {
    background_ = color;
    update();
}

void CGroupEX::SetTextColor(const QColor& color) {
    textColor_ = color;
    update();
}

void CGroupEX::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int top = metrics.height() / 2;
    painter.setPen(QColor(0xb4, 0xb9, 0xc3));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(0, top, width() - 1, height() - top - 1));
    if (text_.isEmpty()) {
        return;
    }
    const int textWidth = metrics.horizontalAdvance(text_);
    const QRect textRect(8, 0, qMin(textWidth + 8, width() - 16), metrics.height());
    painter.fillRect(textRect, background_);
    painter.setPen(textColor_);
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine, text_);
}
