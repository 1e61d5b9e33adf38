#pragma once

#include <QColor>
#include <QWidget>

// A group box drawn on the page's colour: a thin frame with its title set into the top edge.
class CGroupEX : public QWidget {
    Q_OBJECT
public:
    explicit CGroupEX(QWidget* parent = nullptr);

    void SetText(const QString& text);
    QString Text() const { return text_; }
    void SetBkColor(const QColor& color);
    void SetTextColor(const QColor& color);
    QColor BkColor() const { return background_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    QColor background_ = Qt::white;
    QColor textColor_ = Qt::black;
};
