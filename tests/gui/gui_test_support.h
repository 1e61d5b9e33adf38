#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "pages/ui_prompts.h"
#include "platform/clock.h"
#include "tests/support/memory_backend.h"

class QAbstractItemView;
class QWidget;
class CPemraTabs;

// Answers the message boxes and file dialogs of the windows and remembers them in order.
class RecordingPrompts final : public IUiPrompts {
public:
    struct Message {
        PromptIcon icon;
        QString caption;
        QString text;
        // Whether a wait window was on the screen when the box came up.
        bool waitWindowVisible;
    };

    RecordingPrompts();
    ~RecordingPrompts() override;
    RecordingPrompts(const RecordingPrompts&) = delete;
    RecordingPrompts& operator=(const RecordingPrompts&) = delete;

    void ShowMessage(QWidget* parent, PromptIcon icon, const QString& caption, const QString& text) override;
    QString GetSaveFileName(QWidget* parent, const QString& defaultSuffix, const QString& filter) override;

    // The answer of the next save dialog; an empty name answers Cancel.
    void SetNextFileName(const QString& path) { fileNames_.push_back(path); }
    // Runs while a box is "open", as a person would look at the screen then.
    void OnMessage(std::function<void(const Message&)> hook) { hook_ = std::move(hook); }

    const std::vector<Message>& Messages() const { return messages_; }
    QStringList Texts() const;
    void Clear() { messages_.clear(); }

private:
    std::vector<Message> messages_;
    std::deque<QString> fileNames_;
    std::function<void(const Message&)> hook_;
};

// Everything a window test needs: virtual time, an in-memory network without interfaces (or with the
// ones the test adds), recorded message boxes that also receive the loader's failures, and a clean engine
// and device store.
class GuiTestBed {
public:
    GuiTestBed();
    ~GuiTestBed();

    VirtualClock clock;
    MemoryFrameBackend backend;
    RecordingPrompts prompts;

private:
    std::unique_ptr<ScopedClock> scopedClock_;
    std::unique_ptr<ScopedFrameBackend> scopedBackend_;
};

// The language file in the source tree.
std::string EnglishFile();
// Loads `path` into the process's loader; false when it did not load.
bool LoadLanguage(const std::string& path);
// Writes a copy of the English file with every `from` replaced by `to`, and returns its path.
std::string EnglishWith(const std::string& from, const std::string& to, const std::string& name);

// Input as a person gives it.
void ClickAt(QWidget* widget, QPoint position);
void ClickTab(CPemraTabs& tabs, int index);
void PressKey(QWidget* widget, int key);
// A click on a list cell, `offset` from the cell's top-left corner, or in its middle by default.
void ClickCell(QAbstractItemView* view, int row, int column, QPoint offset = QPoint(-1, -1));
// Processes events until `done` holds or `realMs` of real time have passed; true when it held.
bool RunUntil(const std::function<bool()>& done, int realMs = 10000);
