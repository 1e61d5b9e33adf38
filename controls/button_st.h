#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QCursor>
#include <QIcon>
#include <optional>

// A flat icon button: an icon for the normal state and one for the mouse-over state, a thin raised edge
// while the pointer is over it, a sunken one while pressed, and a greyed icon when disabled.
class CButtonST : public QAbstractButton {
    Q_OBJECT
public:
    enum class IconAlign { Beside, Above };

    explicit CButtonST(QWidget* parent = nullptr);

    // The same icon for both states when `normal` is null.
    void SetIcon(const QIcon& hover, const QIcon& normal = QIcon(), QSize size = QSize(32, 32));
    void SetAlign(IconAlign align);
    void SetFlat(bool flat);
    void SetBorderOnHover(bool on);
    void SetShowText(bool show);
    void SetDrawFocus(bool draw);
    void SetColors(const QColor& normalBack, const QColor& hoverBack, const QColor& normalText);
    void SetBtnCursor(const QCursor& cursor);
    void SetTooltipText(const QString& text);
    bool Hovering() const { return hover_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QIcon hoverIcon_;
    QIcon normalIcon_;
    QSize iconSize_{32, 32};
    IconAlign align_ = IconAlign::Beside;
    bool flat_ = true;
    bool borderOnHover_ = true;
    bool showText_ = true;
    bool drawFocus_ = false;
    bool hover_ = false;
    QColor normalBack_;
    QColor hoverBack_;
    QColor normalText_;
};
