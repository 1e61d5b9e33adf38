#pragma once

#include <QWidget>
#include <functional>

// The small window "Changing the configuration,please wait..." that stays on top while a page changes
// the configuration of adapters. Frameless, kept above the other windows, no task-bar entry; its text is
// not translated.
class CMessage : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kText = "Changing the configuration,please wait...";

    CMessage();
    ~CMessage() override;

    // The wait window that exists now, if any.
    static CMessage* Active();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect textRect_;
};

enum class WaitWork {
    OnWorker,   // the work runs on a worker thread; the window stays painted and user input is held back
    OnUiThread, // the work blocks the user-interface thread; the window relies on its first paint
};

// The sequence every configuration change follows: create the wait window and show it 80 pixels right of
// and below the top-left corner of `page`, paint it, show the wait cursor, run `work`, hide the window,
// run `report` (the result message box), end the wait cursor and destroy the window. The cursor ends and
// the window goes on every path out. `work` must not touch widgets when it runs on the worker.
void RunWithWaitDialog(QWidget* page, const std::function<void()>& work, const std::function<void()>& report,
                       WaitWork where = WaitWork::OnWorker);
