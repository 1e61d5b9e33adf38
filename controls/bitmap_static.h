#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

// A picture whose pixels of the transparent colour let the background show through.
class CBitmapStatic : public QWidget {
    Q_OBJECT
public:
    explicit CBitmapStatic(QWidget* parent = nullptr);

    // Loads a picture from the resources (":/artwork/132.png"); false when there is none.
    bool SetBitmap(const QString& resource);
    void SetBitmap(const QImage& image);
    void SetTransparentColor(const QColor& color);
    // The colour painted behind the picture.
    void SetBkColor(const QColor& color);
    QSize BitmapSize() const { return picture_.size(); }
    const QImage& Picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Rebuild();

    QImage source_;
    QImage picture_;
    QColor transparent_ = Qt::white;
    QColor background_;
};
