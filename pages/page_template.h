#pragma once

#include <QMap>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <functional>
#include <span>
#include <string_view>

#include "app/ui_text_paths.h"

class CLoadUISetting;

// A dialog template as data: the controls with their ids, kinds, rectangles in dialog units and texts.
// One builder creates the widgets from it; the language file then places and labels them.

enum class CtrlKind {
    GroupBox,    // CGroupEX
    Label,       // CLabel
    PushButton,  // QPushButton
    IconButton,  // CButtonST
    HyperLink,   // CHyperLink
    Bitmap,      // CBitmapStatic
    ProgressBar, // QProgressBar, 0 to 100
    Edit,        // QLineEdit
    CheckBox,    // QCheckBox
    Custom,      // made by the page's factory (list controls)
};

enum CtrlStyle : unsigned {
    kCtrlHidden = 1u << 0,      // created hidden
    kCtrlAlignRight = 1u << 1,  // text right-aligned (labels)
    kCtrlAlignCenter = 1u << 2, // text centred (labels)
    kCtrlDisabled = 1u << 3,
    kCtrlPassword = 1u << 4, // masked edit
};

struct TemplateCtrl {
    int id = 0;
    CtrlKind kind = CtrlKind::Label;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::string_view text;
    unsigned style = 0;
};

struct PageTemplate {
    int id = 0;
    int width = 0; // dialog units
    int height = 0;
    std::span<const TemplateCtrl> controls;
};

// Dialog units of the pages' font (Arial 9 pt: 7 px average character width, 14 px character height) to
// pixels, rounded half away from zero; the language files' geometry was converted the same way.
constexpr int DluToPxX(int dlu) {
    return dlu >= 0 ? (dlu * 7 + 2) / 4 : -((-dlu * 7 + 2) / 4);
}
constexpr int DluToPxY(int dlu) {
    return dlu >= 0 ? (dlu * 14 + 4) / 8 : -((-dlu * 14 + 4) / 8);
}
constexpr QRect DluRect(int x, int y, int width, int height) {
    return QRect(DluToPxX(x), DluToPxY(y), DluToPxX(width), DluToPxY(height));
}

// The font every page and the main window use: Arial (Liberation Sans on Linux) at 12 pixels, which is
// 9 points at 96 dpi whatever the display's resolution.
QFont DialogFont();

// Makes the widget of a Custom control; returns nullptr when it does not know the control.
using CustomCtrlFactory = std::function<QWidget*(const TemplateCtrl& control, QWidget* parent)>;

// The widgets of one built template, by control id.
class PageControls {
public:
    QWidget* Find(int id) const { return widgets_.value(id); }
    template <typename T> T* Get(int id) const { return qobject_cast<T*>(Find(id)); }
    void Add(int id, QWidget* widget) { widgets_.insert(id, widget); }
    int Count() const { return int(widgets_.size()); }

private:
    QMap<int, QPointer<QWidget>> widgets_;
};

// Creates the template's controls as children of `page` in template order (so later controls lie above
// earlier ones, as a group box lies under what it frames), at their converted rectangles and with their
// template texts. Controls of an unknown Custom kind are skipped.
PageControls BuildControls(QWidget& page, const PageTemplate& pageTemplate, const CustomCtrlFactory& factory = {});

// Applies the control elements with LoadBasicCtrl in the order of `elements`, so a broken language file
// reports its failures in that order. An element whose id was not built is skipped. False when any failed.
bool ApplyLanguage(CLoadUISetting& loader, const PageControls& controls, std::span<const UiControl> elements);

// Sets the text a control shows, whatever its kind.
void SetControlText(QWidget* widget, const QString& text);
QString ControlText(const QWidget* widget);
