#include "pages/page_template.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "app/load_ui_setting.h"
#include "controls/bitmap_static.h"
#include "controls/button_st.h"
#include "controls/group_ex.h"
#include "controls/hyper_link.h"
#include "controls/label.h"
#include "pages/widget_window.h"

QFont DialogFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(12);
    return font;
}

namespace {

QWidget* MakeControl(const TemplateCtrl& control, QWidget* parent, const CustomCtrlFactory& factory) {
    const QString text = QString::fromUtf8(control.text.data(), qsizetype(control.text.size()));
    switch (control.kind) {
    case CtrlKind::GroupBox: {
        auto* group = new CGroupEX(parent);
        group->SetText(text);
        return group;
    }
    case CtrlKind::Label: {
        auto* label = new CLabel(parent);
        label->SetText(text);
        if (control.style & kCtrlAlignRight) {
            label->SetAlignment(Qt::AlignRight | Qt::AlignTop);
        } else if (control.style & kCtrlAlignCenter) {
            label->SetAlignment(Qt::AlignHCenter | Qt::AlignTop);
        }
        return label;
    }
    case CtrlKind::PushButton: {
        auto* button = new QPushButton(text, parent);
        button->setAutoDefault(false);
        return button;
    }
    case CtrlKind::IconButton: {
        auto* button = new CButtonST(parent);
        button->setText(text);
        return button;
    }
    case CtrlKind::HyperLink: {
        auto* link = new CHyperLink(parent);
        link->SetText(text);
        return link;
    }
    case CtrlKind::Bitmap:
        return new CBitmapStatic(parent);
    case CtrlKind::ProgressBar: {
        auto* bar = new QProgressBar(parent);
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(false);
        return bar;
    }
    case CtrlKind::Edit: {
        auto* edit = new QLineEdit(text, parent);
        if (control.style & kCtrlPassword) {
            edit->setEchoMode(QLineEdit::Password);
        }
        return edit;
    }
    case CtrlKind::CheckBox:
        return new QCheckBox(text, parent);
    case CtrlKind::Custom:
        return factory ? factory(control, parent) : nullptr;
    }
    return nullptr;
}

} // namespace

PageControls BuildControls(QWidget& page, const PageTemplate& pageTemplate, const CustomCtrlFactory& factory) {
    PageControls controls;
    for (const TemplateCtrl& control : pageTemplate.controls) {
        QWidget* widget = MakeControl(control, &page, factory);
        if (widget == nullptr) {
            continue;
        }
        widget->setGeometry(DluRect(control.x, control.y, control.width, control.height));
        widget->setProperty("controlId", control.id);
        if (control.style & kCtrlDisabled) {
            widget->setEnabled(false);
        }
        widget->setVisible(!(control.style & kCtrlHidden));
        controls.Add(control.id, widget);
    }
    return controls;
}

bool ApplyLanguage(CLoadUISetting& loader, const PageControls& controls, std::span<const UiControl> elements) {
    bool all = true;
    for (const UiControl& element : elements) {
        QWidget* widget = controls.Find(element.id);
        if (widget == nullptr) {
            continue;
        }
        WidgetWindow window(widget);
        all = LoadUiControl(loader, window, element) && all;
    }
    return all;
}

void SetControlText(QWidget* widget, const QString& text) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(text);
    } else if (auto* label = qobject_cast<CLabel*>(widget)) {
        label->SetText(text);
    } else if (auto* group = qobject_cast<CGroupEX*>(widget)) {
        group->SetText(text);
    } else if (auto* link = qobject_cast<CHyperLink*>(widget)) {
        link->SetText(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(text);
    } else if (widget != nullptr) {
        // Progress bars, lists and the like show no text of their own; it stays as the accessible name.
        widget->setAccessibleName(text);
    }
}

QString ControlText(const QWidget* widget) {
    if (auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        return button->text();
    }
    if (auto* label = qobject_cast<const CLabel*>(widget)) {
        return label->Text();
    }
    if (auto* group = qobject_cast<const CGroupEX*>(widget)) {
        return group->Text();
    }
    if (auto* link = qobject_cast<const CHyperLink*>(widget)) {
        return link->Text();
    }
    if (auto* edit = qobject_cast<const QLineEdit*>(widget)) {
        return edit->text();
    }
    return widget != nullptr ? widget->accessibleName() : QString();
}

void WidgetWindow::SetText(const std::string& utf8) {
    const QString text = QString::fromUtf8(utf8);
    if (widget_->isWindow()) {
        widget_->setWindowTitle(text);
    } else {
        SetControlText(widget_, text);
    }
}

void WidgetWindow::SetGeometry(int x, int y, int width, int height) {
    // Negative sizes from a broken language file become empty rather than invalid.
    widget_->setGeometry(x, y, qMax(0, width), qMax(0, height));
}
