#include "controls/hyper_link.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

CHyperLink::CHyperLink(QWidget* parent) : QWidget(parent) {
    QFont linkFont(QStringLiteral("Arial"));
    linkFont.setPixelSize(14);
    setFont(linkFont);
    setCursor(Qt::PointingHandCursor);
}

void CHyperLink::SetText(const QString& text) {
    text_ = text;
    sized_ = false;
    update();
}

void CHyperLink::SetURL(const QString& url) {
    url_ = url;
    setToolTip(url);
}

void CHyperLink::SetColors(const QColor& link, const QColor& pressed, const QColor& background) {
    link_ = link;
    pressedColor_ = pressed;
    background_ = background;
    update();
}

QColor CHyperLink::CurrentTextColor() const {
    if (!isEnabled()) {
        return palette().color(QPalette::Dark);
    }
    return pressed_ ? pressedColor_ : link_;
}

void CHyperLink::paintEvent(QPaintEvent*) {
    if (!sized_) {
        // Fits itself to its text on the first paint, so only the text reacts to the pointer.
        sized_ = true;
        const QFontMetrics metrics(font());
        resize(metrics.horizontalAdvance(text_) + 2, qMax(height(), metrics.height()));
    }
    QPainter painter(this);
    painter.fillRect(rect(), background_);
    QFont shown = font();
    shown.setUnderline(isEnabled() && (hover_ || pressed_));
    painter.setFont(shown);
    painter.setPen(CurrentTextColor());
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text_);
}

void CHyperLink::enterEvent(QEnterEvent* event) {
    hover_ = true;
    update();
    QWidget::enterEvent(event);
}

void CHyperLink::leaveEvent(QEvent* event) {
    hover_ = false;
    update();
    QWidget::leaveEvent(event);
}

void CHyperLink::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressed_ = true;
        update();
    }
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_) {
        return;
    }
    pressed_ = false;
    update();
    if (!rect().contains(event->pos())) {
        return;
    }
    if (!url_.isEmpty()) {
        visited_ = true;
        QDesktopServices::openUrl(QUrl(url_));
    }
    emit clicked();
}
