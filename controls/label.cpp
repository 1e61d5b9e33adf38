#include "controls/label.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

CLabel::CLabel(QWidget* parent) : QWidget(parent) {
    textColor_ = palette().color(QPalette::WindowText);
    background_ = palette().color(QPalette::Button);
    flashTimer_.setInterval(500);
    connect(&flashTimer_, &QTimer::timeout, this, [this] {
        flashState_ = !flashState_;
        update();
    });
}

void CLabel::SetText(const QString& text) {
    text_ = text;
    update();
}

void CLabel::SetTextColor(const QColor& color) {
    textColor_ = color;
    update();
}

void CLabel::SetBkColor(const QColor& color, const QColor& second, FillMode mode) {
    background_ = color;
    second_ = second;
    fillMode_ = mode;
    update();
}

void CLabel::SetAlignment(Qt::Alignment alignment) {
    alignment_ = alignment;
    update();
}

void CLabel::SetFontBold(bool bold) {
    QFont changed = font();
    changed.setWeight(bold ? QFont::Bold : QFont::Normal);
    setFont(changed);
}

void CLabel::SetFontName(const QString& family) {
    QFont changed = font();
    changed.setFamily(family);
    setFont(changed);
}

void CLabel::SetFontSize(int points) {
    QFont changed = font();
    changed.setPointSize(points);
    setFont(changed);
}

void CLabel::SetFontItalic(bool italic) {
    QFont changed = font();
    changed.setItalic(italic);
    setFont(changed);
}

void CLabel::SetFontUnderline(bool underline) {
    QFont changed = font();
    changed.setUnderline(underline);
    setFont(changed);
}

void CLabel::SetSunken(bool sunken) {
    sunken_ = sunken;
    update();
}

void CLabel::SetBorder(bool border) {
    border_ = border;
    update();
}

void CLabel::SetTransparent(bool transparent) {
    transparent_ = transparent;
    update();
}

void CLabel::SetText3D(bool on, const QColor& highlight) {
    text3d_ = on;
    highlight_ = highlight;
    update();
}

void CLabel::SetRotationAngle(int degrees) {
    angle_ = degrees;
    update();
}

void CLabel::FlashText(bool on) {
    StartFlash(FlashKind::Text, on);
}

void CLabel::FlashBackground(bool on) {
    StartFlash(FlashKind::Background, on);
}

void CLabel::StartFlash(FlashKind kind, bool on) {
    flashKind_ = on ? kind : FlashKind::None;
    flashState_ = false;
    if (on) {
        flashTimer_.start();
    } else {
        flashTimer_.stop();
    }
    update();
}

void CLabel::SetLink(LinkKind kind, const QString& address, bool notifyParent) {
    linkKind_ = kind;
    linkAddress_ = address;
    notifyParent_ = notifyParent;
}

void CLabel::SetLinkCursor(const QCursor& cursor) {
    setCursor(cursor);
}

void CLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect();
    const bool hideBackground = flashKind_ == FlashKind::Background && flashState_;
    if (!transparent_ && !hideBackground) {
        if (fillMode_ == FillMode::Gradient && second_.isValid()) {
            // Up to 100 vertical bands from the background colour to the second colour.
            const int bands = qMax(1, qMin(100, area.width()));
            for (int band = 0; band < bands; ++band) {
                const int left = area.width() * band / bands;
                const int right = area.width() * (band + 1) / bands;
                const double t = bands > 1 ? double(band) / (bands - 1) : 0.0;
                const QColor color =
                    QColor::fromRgbF(background_.redF() + (second_.redF() - background_.redF()) * t,
                                     background_.greenF() + (second_.greenF() - background_.greenF()) * t,
                                     background_.blueF() + (second_.blueF() - background_.blueF()) * t);
                painter.fillRect(QRect(left, 0, right - left, area.height()), color);
            }
        } else {
            painter.fillRect(area, background_);
        }
    }
    if (sunken_) {
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(0, 0, area.width() - 1, 0);
        painter.drawLine(0, 0, 0, area.height() - 1);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(area.width() - 1, 0, area.width() - 1, area.height() - 1);
        painter.drawLine(0, area.height() - 1, area.width() - 1, area.height() - 1);
    } else if (border_) {
        painter.setPen(Qt::black);
        painter.drawRect(area.adjusted(0, 0, -1, -1));
    }
    if (flashKind_ == FlashKind::Text && flashState_) {
        return;
    }
    QString shown = text_;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const int flags = int(alignment_) | (shown.contains('\n') ? 0 : int(Qt::TextSingleLine));
    if (angle_ != 0) {
        painter.translate(area.center());
        painter.rotate(-angle_);
        const QRect centred(-area.width(), -area.height(), area.width() * 2, area.height() * 2);
        painter.setPen(textColor_);
        painter.drawText(centred, Qt::AlignCenter, shown);
        return;
    }
    if (text3d_) {
        painter.setPen(highlight_);
        painter.drawText(area.translated(1, 1), flags, shown);
    }
    painter.setPen(isEnabled() ? textColor_ : palette().color(QPalette::Disabled, QPalette::WindowText));
    painter.drawText(area, flags, shown);
}

void CLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || linkKind_ == LinkKind::None || !rect().contains(event->pos())) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    if (notifyParent_) {
        emit linkClicked();
    } else if (linkKind_ == LinkKind::Url) {
        QDesktopServices::openUrl(QUrl(linkAddress_.isEmpty() ? text_ : linkAddress_));
    } else {
        QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + text_));
    }
}
