#include "controls/bitmap_static.h"

#include <QPainter>

CBitmapStatic::CBitmapStatic(QWidget* parent) : QWidget(parent) {}

bool CBitmapStatic::SetBitmap(const QString& resource) {
    QImage image(resource);
    SetBitmap(image);
    return !image.isNull();
}

void CBitmapStatic::SetBitmap(const QImage& image) {
    source_ = image;
    Rebuild();
}

void CBitmapStatic::SetTransparentColor(const QColor& color) {
    transparent_ = color;
    Rebuild();
}

void CBitmapStatic::SetBkColor(const QColor& color) {
    background_ = color;
    update();
}

void CBitmapStatic::Rebuild() {
    if (source_.isNull()) {
        picture_ = QImage();
    } else {
        picture_ = source_.convertToFormat(QImage::Format_ARGB32);
        const QRgb key = transparent_.rgb() & 0xffffff;
        for (int y = 0; y < picture_.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(picture_.scanLine(y));
            for (int x = 0; x < picture_.width(); ++x) {
                if ((line[x] & 0xffffff) == key) {
                    line[x] = 0;
                }
            }
        }
    }
    update();
}

void CBitmapStatic::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (background_.isValid()) {
        painter.fillRect(rect(), background_);
    }
    if (!picture_.isNull()) {
        painter.drawImage(0, 0, picture_);
    }
}
