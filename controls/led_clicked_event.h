#pragma once

#include <QEvent>

// The notification the device list sends its page when the user clicks a row's LED cell. The event type
// is registered once, before start-up, and stays the same for the whole run.
class LedClickedEvent : public QEvent {
public:
    explicit LedClickedEvent(int row) : QEvent(Type()), row_(row) {}
    int Row() const { return row_; }

    // Registers the event type on the first call and returns it on every call.
    static QEvent::Type Type();

private:
    int row_;
};
