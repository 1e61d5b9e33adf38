#include "controls/artwork.h"

#include <QCursor>
#include <QPixmap>

QString ArtworkPath(int id) {
    return QStringLiteral(":/artwork/%1.png").arg(id);
}

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128}) {
        icon.addFile(QStringLiteral(":/artwork/128_%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

QIcon ArtworkIcon(int id) {
    return QIcon(ArtworkPath(id));
}

QCursor HandCursor() {
    const QPixmap picture(ArtworkPath(136));
    if (picture.isNull()) {
        return QCursor(Qt::PointingHandCursor);
    }
    return QCursor(picture, 10, 1);
}
