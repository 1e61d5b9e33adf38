#pragma once

#include <QTreeWidget>
#include <functional>

// The device list: a report list whose column 3 shows a row's link rate as a level picture with the number
// beside it and whose column 4 shows the LED state as an on/off picture. A left click on a row's LED area
// posts a LedClickedEvent with the row to the list's parent; the pointer turns into a hand over that area.
class CListCtrEX : public QTreeWidget {
    Q_OBJECT
public:
    static constexpr int kRateColumn = 3;
    static constexpr int kLedColumn = 4;
    // The LED area is the LED cell less this much on its left and right.
    static constexpr int kLedAreaLeftInset = 20;
    static constexpr int kLedAreaRightInset = 30;
    // Qt stores tooltips in a QString, but the text is cut as the system's 80-character buffer cut it.
    static constexpr int kMaxTooltip = 79;

    explicit CListCtrEX(QWidget* parent = nullptr);

    // Inserts a left-aligned column at `index` with its heading and width in pixels.
    void InsertColumn(int index, const QString& heading, int width);
    // Appends a row with the texts of columns 0 to 2, the rate value (-1: none) and the LED state.
    int AppendRow(const QStringList& texts, int rate, bool ledOn);
    void DeleteAllItems();
    int ItemCount() const { return topLevelItemCount(); }
    QString ItemText(int row, int column) const;

    void SetRate(int row, int rate);
    int Rate(int row) const;
    void SetLedState(int row, bool on);
    bool LedState(int row) const;

    // The row whose LED area holds `position` (viewport coordinates), or -1.
    int LedAreaRowAt(QPoint position) const;
    QRect LedArea(int row) const;

    // The LED cell's tooltip, asked for each time it is about to show.
    void SetLedTooltipSource(std::function<QString()> source) { ledTooltip_ = std::move(source); }

    // The level picture (142 to 152) for a rate value, or 0 for none (above 200).
    static int RateImageId(int rate);
    // The number written beside the picture: -1 shows as 0.
    static QString RateText(int rate);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    std::function<QString()> ledTooltip_;
    bool handShown_ = false;
};
