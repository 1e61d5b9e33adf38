#include "tests/gui/gui_test_support.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <fstream>
#include <sstream>

#include "app/load_ui_setting.h"
#include "app/pemra_tabs.h"
#include "engine/device_ops.h"
#include "pages/wait_dialog.h"
#include "security/device_store.h"

RecordingPrompts::RecordingPrompts() {
    SetUiPrompts(this);
}

RecordingPrompts::~RecordingPrompts() {
    SetUiPrompts(nullptr);
}

void RecordingPrompts::ShowMessage(QWidget*, PromptIcon icon, const QString& caption, const QString& text) {
    CMessage* wait = CMessage::Active();
    messages_.push_back({icon, caption, text, wait != nullptr && wait->isVisible()});
    if (hook_) {
        hook_(messages_.back());
    }
}

QString RecordingPrompts::GetSaveFileName(QWidget*, const QString&, const QString&) {
    if (fileNames_.empty()) {
        return QString();
    }
    QString name = fileNames_.front();
    fileNames_.pop_front();
    return name;
}

QStringList RecordingPrompts::Texts() const {
    QStringList texts;
    for (const Message& message : messages_) {
        texts << message.text;
    }
    return texts;
}

GuiTestBed::GuiTestBed() {
    ResetEngine();
    DeviceStore::Instance().Clear();
    scopedClock_ = std::make_unique<ScopedClock>(clock);
    scopedBackend_ = std::make_unique<ScopedFrameBackend>(backend);
    InstallLoaderWarningBoxes();
}

GuiTestBed::~GuiTestBed() {
    ResetEngine();
    UISetting().ReleaseDocument();
    UISetting().SetReporter({});
}

std::string EnglishFile() {
    return std::string(PEMRA_SOURCE_DIR) + "/lang/English/English.xml";
}

bool LoadLanguage(const std::string& path) {
    return UISetting().LoadXmlFile(path);
}

std::string EnglishWith(const std::string& from, const std::string& to, const std::string& name) {
    std::ifstream in(EnglishFile());
    std::stringstream buffer;
    buffer << in.rdbuf();
    std::string text = buffer.str();
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    std::ofstream(name) << text;
    return name;
}

void ClickAt(QWidget* widget, QPoint position) {
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, position);
}

void ClickTab(CPemraTabs& tabs, int index) {
    ClickAt(tabs.TabBar(), tabs.TabBar()->tabRect(index).center());
}

void PressKey(QWidget* widget, int key) {
    QTest::keyClick(widget, static_cast<Qt::Key>(key));
}

void ClickCell(QAbstractItemView* view, int row, int column, QPoint offset) {
    const QRect cell = view->visualRect(view->model()->index(row, column));
    const QPoint at = offset == QPoint(-1, -1) ? cell.center() : cell.topLeft() + offset;
    ClickAt(view->viewport(), at);
}

bool RunUntil(const std::function<bool()>& done, int realMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > realMs) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}
