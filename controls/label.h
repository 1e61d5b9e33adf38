#pragma once

#include <QColor>
#include <QTimer>
#include <QWidget>

// A static text with its own colours and font: plain or gradient background, alignment like the static
// it replaces, optional link, flashing, sunken edge, border, 3-D text and rotation.
class CLabel : public QWidget {
    Q_OBJECT
public:
    enum class FillMode { None, Gradient };
    enum class LinkKind { None, Url, Mail };
    enum class FlashKind { None, Text, Background };

    explicit CLabel(QWidget* parent = nullptr);

    void SetText(const QString& text);
    QString Text() const { return text_; }
    void SetTextColor(const QColor& color);
    // The background, and with a fill mode the colour a left-to-right gradient runs to.
    void SetBkColor(const QColor& color, const QColor& second = QColor(), FillMode mode = FillMode::None);
    QColor BkColor() const { return background_; }
    FillMode Fill() const { return fillMode_; }
    void SetAlignment(Qt::Alignment alignment);
    Qt::Alignment Alignment() const { return alignment_; }
    void SetFontBold(bool bold);
    void SetFontName(const QString& family);
    void SetFontSize(int points);
    void SetFontItalic(bool italic);
    void SetFontUnderline(bool underline);
    void SetSunken(bool sunken);
    void SetBorder(bool border);
    void SetTransparent(bool transparent);
    void SetText3D(bool on, const QColor& highlight = Qt::white);
    void SetRotationAngle(int degrees);
    void FlashText(bool on);
    void FlashBackground(bool on);
    // A URL label opens its address (or else its text); a mail label opens "mailto:" and its text. With
    // `notifyParent` a click only emits linkClicked.
    void SetLink(LinkKind kind, const QString& address = QString(), bool notifyParent = false);
    void SetLinkCursor(const QCursor& cursor);

signals:
    void linkClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void StartFlash(FlashKind kind, bool on);

    QString text_;
    QColor textColor_;
    QColor background_;
    QColor second_;
    FillMode fillMode_ = FillMode::None;
    Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignTop;
    bool sunken_ = false;
    bool border_ = false;
    bool transparent_ = false;
    bool text3d_ = false;
    QColor highlight_ = Qt::white;
    int angle_ = 0;
    LinkKind linkKind_ = LinkKind::None;
    QString linkAddress_;
    bool notifyParent_ = false;
    FlashKind flashKind_ = FlashKind::None;
    bool flashState_ = false;
    QTimer flashTimer_;
};
