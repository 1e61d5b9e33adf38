#include "pages/wait_dialog.h"

#include <QApplication>
#include <QEventLoop>
#include <QPainter>
#include <memory>
#include <thread>

namespace {

CMessage* active = nullptr;

// Dialog base units of `font`: the average width of the Latin letters and the character height.
QSize BaseUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return QSize((letters + 26) / 52, metrics.height());
}

QRect ToPixels(const QSize& units, int x, int y, int width, int height) {
    return QRect((x * units.width() + 2) / 4, (y * units.height() + 4) / 8, (width * units.width() + 2) / 4,
                 (height * units.height() + 4) / 8);
}

} // namespace

CMessage::CMessage() : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    QFont font;
    font.setFamilies({QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Liberation Sans")});
    font.setPixelSize(13);
    font.setWeight(QFont::Bold);
    setFont(font);
    const QSize units = BaseUnits(font);
    resize(ToPixels(units, 0, 0, 190, 38).size());
    textRect_ = ToPixels(units, 14, 14, 156, 12);
    // Wide enough for the text whatever font stands in.
    const int needed = QFontMetrics(font).horizontalAdvance(QString::fromLatin1(kText)) + 2;
    if (textRect_.width() < needed) {
        textRect_.setWidth(needed);
        resize(qMax(width(), textRect_.right() + 1 + textRect_.left()), height());
    }
    // Input to the other windows is held back while the window shows.
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_OpaquePaintEvent);
    active = this;
}

CMessage::~CMessage() {
    if (active == this) {
        active = nullptr;
    }
}

CMessage* CMessage::Active() {
    return active;
}

void CMessage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect();
    painter.fillRect(area, palette().color(QPalette::Window));
    // An etched, sunken edge round the whole window.
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(area.adjusted(1, 1, -2, -2));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(textRect_, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, QString::fromLatin1(kText));
}

void RunWithWaitDialog(QWidget* page, const std::function<void()>& work, const std::function<void()>& report,
                       WaitWork where) {
    // Ends the wait cursor and destroys the window on every path out, in that order.
    struct Cleanup {
        std::unique_ptr<CMessage> window;
        bool cursor = false;
        ~Cleanup() {
            if (cursor) {
                QApplication::restoreOverrideCursor();
            }
            window.reset();
        }
    } cleanup;
    cleanup.window = std::make_unique<CMessage>();
    CMessage& window = *cleanup.window;
    window.show();
    if (page != nullptr) {
        window.move(page->mapToGlobal(QPoint(0, 0)) + QPoint(80, 80));
    }
    window.repaint();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    cleanup.cursor = true;

    if (where == WaitWork::OnWorker) {
        QEventLoop loop;
        std::thread worker([&] {
            work();
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
        // Paints and timers go on; clicks and keys wait until the work is done.
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        worker.join();
    } else {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        work();
    }

    window.hide();
    if (report) {
        report();
    }
}
