#pragma once

#include <QWidget>

#include "pages/page_template.h"

// The base of every page and sub-page: a child window built from its dialog template, painted white with
// a one-pixel black frame, on which Return does nothing.
class CTabPageDlg : public QWidget {
    Q_OBJECT
public:
    explicit CTabPageDlg(QWidget* parent = nullptr);

    // Creates the page's window from its own template as a child of `parent`; the page starts hidden.
    virtual bool CreatePage(QWidget* parent) = 0;

    bool Created() const { return created_; }
    QWidget* Control(int id) const { return controls_.Find(id); }
    template <typename T> T* ControlAs(int id) const { return controls_.Get<T>(id); }
    const PageControls& Controls() const { return controls_; }

protected:
    // Builds the template's controls and runs OnInitPage once. Pages call it from CreatePage.
    bool CreateFromTemplate(QWidget* parent, const PageTemplate& pageTemplate, const CustomCtrlFactory& factory = {});
    // The page's own initialisation, after its controls exist.
    virtual void OnInitPage() {}
    void paintEvent(QPaintEvent* event) override;

private:
    PageControls controls_;
    bool created_ = false;
};
