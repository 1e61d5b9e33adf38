#include "app/about_dlg.h"

#include <QLabel>
#include <QPushButton>

#include "controls/artwork.h"
#include "pages/page_template.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromLatin1(kTitle));
    setFont(DialogFont());
    setFixedSize(DluToPxX(235), DluToPxY(55));

    auto* icon = new QLabel(this);
    icon->setPixmap(AppIcon().pixmap(32, 32));
    icon->setGeometry(QRect(QPoint(DluToPxX(11), DluToPxY(17)), QSize(32, 32)));

    auto* version = new QLabel(QString::fromLatin1(kVersionLine), this);
    version->setGeometry(DluRect(40, 10, 119, 8));
    auto* second = new QLabel(QString::fromLatin1(kSecondLine), this);
    second->setGeometry(DluRect(40, 25, 119, 8));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(DluRect(178, 7, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
