#pragma once

#include <QColor>
#include <QWidget>

// A web link: blue text, underlined while the pointer is over it, red while pressed; a release over it
// opens the address.
class CHyperLink : public QWidget {
    Q_OBJECT
public:
    explicit CHyperLink(QWidget* parent = nullptr);

    void SetText(const QString& text);
    QString Text() const { return text_; }
    void SetURL(const QString& url);
    QString URL() const { return url_; }
    void SetColors(const QColor& link, const QColor& pressed, const QColor& background);
    void SetVisited(bool visited) { visited_ = visited; }
    bool Visited() const { return visited_; }
    bool Pressed() const { return pressed_; }
    // The colour the text is drawn in now.
    QColor CurrentTextColor() const;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString text_;
    QString url_;
    QColor link_{0, 0, 255};
    QColor pressedColor_{255, 0, 0};
    QColor background_ = Qt::white;
    bool hover_ = false;
    bool pressed_ = false;
    bool visited_ = false;
    bool sized_ = false;
};
