#pragma once

#include <QString>

#include "app/ui_text_paths.h"

class QWidget;

// Every message box and file dialog of the windows goes through here, so that tests can answer them and
// read their texts in order.
enum class PromptIcon { Information, Warning };

class IUiPrompts {
public:
    virtual ~IUiPrompts() = default;
    // A modal box with one OK button.
    virtual void ShowMessage(QWidget* parent, PromptIcon icon, const QString& caption, const QString& text) = 0;
    // A modal save dialog that confirms overwriting; the chosen full path, or an empty text on Cancel.
    // `filter` is in Qt's form ("Text Files (*.txt);;All Files (*)").
    virtual QString GetSaveFileName(QWidget* parent, const QString& defaultSuffix, const QString& filter) = 0;
};

// The prompts in force: real Qt dialogs unless a test installed others.
IUiPrompts& UiPrompts();
// Installs `prompts` (not owned); nullptr restores the Qt dialogs.
void SetUiPrompts(IUiPrompts* prompts);

// The product name that replaces "%model" in titles, captions, the about page and the report.
inline constexpr const char* kModelName = "Lirra";
QString ReplaceModel(QString text);

// Reads one language text as the loader reports it; empty when the read failed.
QString UiText(const UiTextPath& path);
// The caption of every page's message box: the program title with "%model" replaced.
QString MessageCaption();
// A page's message box: the text of `message`, the caption above, an information icon, one OK button.
void ShowPageMessage(QWidget* parent, const UiTextPath& message);

// Shows the language-file loader's failures as warning boxes captioned with the program's name.
void InstallLoaderWarningBoxes();
