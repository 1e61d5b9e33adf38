#include "controls/list_ctr_ex.h"

#include <QApplication>
#include <QBitmap>
#include <QHash>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolTip>

#include "controls/artwork.h"
#include "controls/led_clicked_event.h"
#include "controls/report_view.h"

namespace {

constexpr int kRateRole = Qt::UserRole + 1;
constexpr int kLedRole = Qt::UserRole + 2;
constexpr int kLedOnImage = 156;
constexpr int kLedOffImage = 157;
// Tall enough for the LED picture (16 pixels) with a pixel to spare.
constexpr int kMinRowHeight = 17;

const QPixmap& Artwork(int id) {
    static QHash<int, QPixmap> cache;
    auto found = cache.find(id);
    if (found == cache.end()) {
        // The pictures are drawn on white; it is left out so that a selected row's colour shows round them.
        QPixmap picture(ArtworkPath(id));
        if (!picture.isNull()) {
            picture.setMask(picture.createMaskFromColor(Qt::white));
        }
        found = cache.insert(id, picture);
    }
    return *found;
}

// Draws the rate and LED cells; the other columns are drawn as usual.
class LevelDelegate final : public QStyledItemDelegate {
public:
    explicit LevelDelegate(CListCtrEX* list) : QStyledItemDelegate(list), list_(list) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(qMax(size.height(), kMinRowHeight));
        return size;
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const int column = index.column();
        if (column != CListCtrEX::kRateColumn && column != CListCtrEX::kLedColumn) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        const QRect cell = option.rect;
        const bool selected = option.state & QStyle::State_Selected;
        const bool focused = list_->hasFocus();
        // A selected row shows the highlight while the list has the focus and the button face otherwise;
        // every other cell is white.
        QColor background = Qt::white;
        QColor text = list_->palette().color(QPalette::Active, QPalette::WindowText);
        if (selected) {
            background = focused ? list_->palette().color(QPalette::Active, QPalette::Highlight)
                                 : list_->palette().color(QPalette::Active, QPalette::Button);
            if (focused) {
                text = list_->palette().color(QPalette::Active, QPalette::HighlightedText);
            }
        }
        painter->save();
        painter->fillRect(cell, background);
        painter->setClipRect(cell);
        if (column == CListCtrEX::kRateColumn) {
            const int rate = index.data(kRateRole).toInt();
            if (const int image = CListCtrEX::RateImageId(rate); image != 0) {
                painter->drawPixmap(cell.left() + 5, cell.top() + 2, Artwork(image));
            }
            painter->setPen(text);
            painter->setFont(option.font);
            painter->drawText(QRect(cell.left() + 70, cell.top(), qMax(0, cell.width() - 70), cell.height()),
                              Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, CListCtrEX::RateText(rate));
        } else {
            const bool on = index.data(kLedRole).toBool();
            painter->drawPixmap(cell.left() + 25, cell.top(), Artwork(on ? kLedOnImage : kLedOffImage));
        }
        painter->restore();
    }

private:
    CListCtrEX* list_;
};

} // namespace

CListCtrEX::CListCtrEX(QWidget* parent) : QTreeWidget(parent) {
    ConfigureReportView(*this);
    setItemDelegate(new LevelDelegate(this));
    viewport()->setMouseTracking(true);
    // The selection stays visible without the focus, on the button face.
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Inactive, QPalette::Highlight, colours.color(QPalette::Active, QPalette::Button));
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     colours.color(QPalette::Active, QPalette::WindowText));
    setPalette(colours);
}

void CListCtrEX::InsertColumn(int index, const QString& heading, int width) {
    InsertHeading(*this, index, heading, width);
}

int CListCtrEX::AppendRow(const QStringList& texts, int rate, bool ledOn) {
    auto* item = new QTreeWidgetItem(this);
    for (int column = 0; column < texts.size() && column < kRateColumn; ++column) {
        item->setText(column, texts[column]);
    }
    item->setData(kRateColumn, kRateRole, rate);
    item->setData(kLedColumn, kLedRole, ledOn);
    return indexOfTopLevelItem(item);
}

void CListCtrEX::DeleteAllItems() {
    clear();
}

QString CListCtrEX::ItemText(int row, int column) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr ? item->text(column) : QString();
}

void CListCtrEX::SetRate(int row, int rate) {
    if (QTreeWidgetItem* item = topLevelItem(row)) {
        item->setData(kRateColumn, kRateRole, rate);
    }
}

int CListCtrEX::Rate(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr ? item->data(kRateColumn, kRateRole).toInt() : -1;
}

void CListCtrEX::SetLedState(int row, bool on) {
    if (QTreeWidgetItem* item = topLevelItem(row)) {
        item->setData(kLedColumn, kLedRole, on);
    }
}

bool CListCtrEX::LedState(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr && item->data(kLedColumn, kLedRole).toBool();
}

QRect CListCtrEX::LedArea(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    if (item == nullptr || columnCount() <= kLedColumn) {
        return QRect();
    }
    const QRect cell = visualRect(indexFromItem(item, kLedColumn));
    return cell.adjusted(kLedAreaLeftInset, 0, -kLedAreaRightInset, 0);
}

int CListCtrEX::LedAreaRowAt(QPoint position) const {
    for (int row = 0; row < topLevelItemCount(); ++row) {
        const QRect area = LedArea(row);
        if (area.isValid() && area.contains(position)) {
            return row;
        }
    }
    return -1;
}

int CListCtrEX::RateImageId(int rate) {
    // Upper bounds of the levels 144 to 152; below 0 is 142 and below 20 is 143.
    static constexpr int kBounds[] = {40, 50, 60, 70, 80, 110, 140, 170, 200};
    if (rate < 0) {
        return 142;
    }
    if (rate < 20) {
        return 143;
    }
    for (int level = 0; level < int(std::size(kBounds)); ++level) {
        if (rate <= kBounds[level]) {
            return 144 + level;
        }
    }
    return 0;
}

QString CListCtrEX::RateText(int rate) {
    return QString::number(rate == -1 ? 0 : rate);
}

void CListCtrEX::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && parentWidget() != nullptr) {
        if (const int row = LedAreaRowAt(event->position().toPoint()); row >= 0) {
            // Posted, so that the click selects the row before the page acts on it.
            QApplication::postEvent(parentWidget(), new LedClickedEvent(row));
        }
    }
    QTreeWidget::mousePressEvent(event);
}

void CListCtrEX::mouseMoveEvent(QMouseEvent* event) {
    const bool overLed = LedAreaRowAt(event->position().toPoint()) >= 0;
    if (overLed != handShown_) {
        handShown_ = overLed;
        if (overLed) {
            viewport()->setCursor(HandCursor());
        } else {
            viewport()->unsetCursor();
        }
    }
    QTreeWidget::mouseMoveEvent(event);
}

bool CListCtrEX::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = indexAt(help->pos());
        if (index.isValid() && index.column() == kLedColumn && ledTooltip_) {
            QToolTip::showText(help->globalPos(), ledTooltip_().left(kMaxTooltip), viewport(), visualRect(index));
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QTreeWidget::viewportEvent(event);
}
