// Screenshot helper for scripts/screenshots, run on the same X display as the program:
//   pemra_xshot grab <x> <y> <width> <height> <file.png>   writes that part of the screen
//   pemra_xshot tabs <language file>                        prints the screen centre of each main-window tab
// The tab centres come from a tab strip laid out like the main window's, with the same font, style and
// captions, placed where the main window puts it.
#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QTabBar>
#include <cstdio>
#include <cstdlib>

#include "app/load_ui_setting.h"
#include "app/ui_text_paths.h"
#include "pages/page_template.h"
#include "pages/ui_prompts.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    const QString command = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (command == QStringLiteral("grab") && argc == 7) {
        const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, std::atoi(argv[2]), std::atoi(argv[3]),
                                                                          std::atoi(argv[4]), std::atoi(argv[5]));
        return shot.save(QString::fromLocal8Bit(argv[6]), "PNG") ? 0 : 1;
    }
    if (command == QStringLiteral("tabs") && argc == 3) {
        if (!UISetting().LoadXmlFile(argv[2])) {
            return 1;
        }
        QTabBar bar;
        bar.setFont(DialogFont());
        bar.setDrawBase(false);
        bar.setExpanding(false);
        for (const UiTextPath& caption :
             {DevSettingsPageUi::kTabCaption, AdvancedPageUi::kTabCaption, AboutPageUi::kTabCaption}) {
            bar.addTab(UiText(caption));
        }
        bar.resize(bar.sizeHint());
        // The main window sits at the screen's origin; its tab control at (30, 100), the strip 2 pixels in.
        const QPoint origin = DluRect(17, 57, 327, 205).topLeft() + QPoint(2, 2);
        for (int i = 0; i < bar.count(); ++i) {
            const QPoint centre = bar.tabRect(i).center() + origin;
            std::printf("%d %d\n", centre.x(), centre.y());
        }
        return 0;
    }
    std::fputs("usage: pemra_xshot grab X Y W H FILE | pemra_xshot tabs LANGUAGE_FILE\n", stderr);
    return 2;
}
