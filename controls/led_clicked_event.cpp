#include "controls/led_clicked_event.h"

QEvent::Type LedClickedEvent::Type() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}
