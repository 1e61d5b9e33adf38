#include "pages/ui_prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "app/load_ui_setting.h"

namespace {

class QtPrompts final : public IUiPrompts {
public:
    void ShowMessage(QWidget* parent, PromptIcon icon, const QString& caption, const QString& text) override {
        QMessageBox box(icon == PromptIcon::Warning ? QMessageBox::Warning : QMessageBox::Information, caption, text,
                        QMessageBox::Ok, parent);
        box.exec();
    }
    QString GetSaveFileName(QWidget* parent, const QString& defaultSuffix, const QString& filter) override {
        QFileDialog dialog(parent);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(defaultSuffix);
        dialog.setNameFilter(filter);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return QString();
        }
        return dialog.selectedFiles().front();
    }
};

IUiPrompts* installed = nullptr;

} // namespace

IUiPrompts& UiPrompts() {
    static QtPrompts qtPrompts;
    return installed != nullptr ? *installed : qtPrompts;
}

void SetUiPrompts(IUiPrompts* prompts) {
    installed = prompts;
}

QString ReplaceModel(QString text) {
    return text.replace(QStringLiteral("%model"), QString::fromLatin1(kModelName));
}

QString UiText(const UiTextPath& path) {
    std::string text;
    ReadUiText(UISetting(), path, text);
    return QString::fromUtf8(text);
}

QString MessageCaption() {
    return ReplaceModel(UiText(kUiMessageCaption));
}

void ShowPageMessage(QWidget* parent, const UiTextPath& message) {
    const QString text = UiText(message);
    UiPrompts().ShowMessage(parent, PromptIcon::Information, MessageCaption(), text);
}

void InstallLoaderWarningBoxes() {
    UISetting().SetReporter([](std::string_view text) {
        UiPrompts().ShowMessage(nullptr, PromptIcon::Warning, QApplication::applicationName(),
                                QString::fromUtf8(text.data(), qsizetype(text.size())));
    });
}
