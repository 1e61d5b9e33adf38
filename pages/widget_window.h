#pragma once

#include <QWidget>

#include "app/load_ui_setting.h"

// Lets the language-file loader label and place a widget.
class WidgetWindow final : public IBasicWindow {
public:
    explicit WidgetWindow(QWidget* widget) : widget_(widget) {}
    void SetText(const std::string& utf8) override;
    void SetGeometry(int x, int y, int width, int height) override;

private:
    QWidget* widget_;
};
