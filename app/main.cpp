#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/load_ui_setting.h"
#include "app/pemra_utility_app.h"
#include "controls/led_clicked_event.h"

namespace {

// Without a display Qt would abort; say so and end instead.
bool HaveDisplay() {
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    // Before start-up: the LED-click notification and the one language-file loader.
    LedClickedEvent::Type();
    UISetting();
    if (!HaveDisplay()) {
        std::fputs("pemra-utility: no display to open the window on\n", stderr);
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    CPemra_UtilityApp app;
    if (app.InitInstance()) {
        app.ExitInstance();
    }
    return 0;
}
