#pragma once

#include <QCursor>
#include <QIcon>
#include <QString>

// The program's own pictures, by their resource numbers, from the Qt resource system.
QString ArtworkPath(int id);
// The application icon (128).
QIcon AppIcon();
// An icon made from one picture (137, 139, 158 for the page buttons).
QIcon ArtworkIcon(int id);
// The hand cursor (136) with its hot spot on the finger tip.
QCursor HandCursor();
