#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "pages/page_template.h"

class CReportCtrl;

// The device password dialog: lists adapters of the calling page's device list with their names and
// addresses and lets the user type the password printed on each label. OK tries each typed password on
// its adapter and stores those that work; the dialog closes only when every row has passed.
class CPswdlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 159;
    static constexpr int kGroupId = 1047;
    static constexpr int kListId = 1041;
    static constexpr int kFormLabelId = 1051;
    static constexpr int kExampleLabelId = 1052;
    static constexpr int kPictureId = 160;
    static constexpr int kOkId = 1004;
    static constexpr int kCancelId = 2;
    static constexpr int kMaxRows = 64;
    // Results of Run.
    static constexpr int kOk = 1;
    static constexpr int kCancel = 2;

    CPswdlg();

    void ClearRows();
    // Adds a row of the calling page's device list (the index among the present records); ignored past 64.
    void AddRow(int row);
    // Initialises the dialog and runs it modally; kOk after OK passed, kCancel after Cancel or closing.
    int Run();

    CReportCtrl* List() const;
    QWidget* Control(int id) const { return controls_.Find(id); }
    // The OK button's checks; closes the dialog with OK when every row passes.
    void OnOk();

    // Tests: instead of a modal loop, Run shows the dialog, hands it to `hook` (which types and clicks as
    // a person would) and returns what the dialog ended with; a dialog still open then counts as Cancel.
    static void SetRunHook(std::function<void(CPswdlg&)> hook);

private:
    void OnInitDialog();

    PageControls controls_;
    std::vector<int> rows_;
};
