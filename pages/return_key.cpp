#include "pages/return_key.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace {

constexpr const char* kSwallowProperty = "pemraSwallowsReturn";
constexpr const char* kAllowProperty = "pemraAllowsReturn";

class ReturnKeyFilter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter) {
            return false;
        }
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget == nullptr || widget->property(kAllowProperty).toBool()) {
            return false;
        }
        for (QWidget* up = widget; up != nullptr; up = up->parentWidget()) {
            if (up->property(kSwallowProperty).toBool()) {
                return true;
            }
        }
        return false;
    }
};

} // namespace

void SwallowReturnKeyIn(QWidget* window) {
    static ReturnKeyFilter* filter = nullptr;
    if (filter == nullptr && qApp != nullptr) {
        filter = new ReturnKeyFilter(qApp);
        qApp->installEventFilter(filter);
    }
    window->setProperty(kSwallowProperty, true);
}

void AllowReturnKey(QWidget* widget) {
    widget->setProperty(kAllowProperty, true);
}
