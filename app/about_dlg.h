#pragma once

#include <QDialog>

// The small about box of the window menu: icon, program name and version, a copyright line, OK.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "About Pemra_Utility";
    static constexpr const char* kVersionLine = "Pemra_Utility Version 1.0";
    static constexpr const char* kSecondLine = "Copyright (C) 2010";

    explicit CAboutDlg(QWidget* parent = nullptr);
};
