// Draws the program's pictures and writes them as PNG files into the directory given as the only
// argument: the application icon in five sizes, the banner, the button icons, the hand cursor, the link
// quality levels, the LED states and the adapter label.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

const QColor kBlueDark(0x0b, 0x3d, 0x6e);
const QColor kBlue(0x1f, 0x6f, 0xb5);
const QColor kBlueLight(0x4f, 0xa3, 0xe0);
const QColor kGreen(0x2e, 0xa0, 0x43);
const QColor kGrey(0xc8, 0xcd, 0xd3);
// Near-white: pure white is the transparent colour of the banner.
const QColor kPaper(0xfd, 0xfd, 0xfd);

QImage Blank(int width, int height, QColor fill = Qt::transparent) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

bool Save(const QImage& image, const QString& dir, const QString& name) {
    const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "artwork: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// An adapter seen from the front: a rounded body with a status light, and a wave for the powerline.
void DrawAdapter(QPainter& p, const QRectF& r, const QColor& body, const QColor& mark) {
    const qreal u = r.width() / 16.0;
    QPainterPath shell;
    shell.addRoundedRect(QRectF(r.left() + 3 * u, r.top() + 1.5 * u, 10 * u, 13 * u), 2.2 * u, 2.2 * u);
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawPath(shell);
    p.setBrush(mark);
    p.drawEllipse(QPointF(r.left() + 8 * u, r.top() + 4.5 * u), 1.1 * u, 1.1 * u);
    QPen wave(mark, 1.2 * u, Qt::SolidLine, Qt::RoundCap);
    p.setPen(wave);
    p.setBrush(Qt::NoBrush);
    QPainterPath line;
    line.moveTo(r.left() + 4.8 * u, r.top() + 10 * u);
    line.cubicTo(r.left() + 6.2 * u, r.top() + 7.6 * u, r.left() + 6.8 * u, r.top() + 12.4 * u, r.left() + 8 * u,
                 r.top() + 10 * u);
    line.cubicTo(r.left() + 9.2 * u, r.top() + 7.6 * u, r.left() + 9.8 * u, r.top() + 12.4 * u, r.left() + 11.2 * u,
                 r.top() + 10 * u);
    p.drawPath(line);
}

QImage AppIcon(int size) {
    QImage image = Blank(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0, 0, size, size);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, kBlueLight);
    g.setColorAt(1, kBlue);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(r.adjusted(size * 0.03, size * 0.03, -size * 0.03, -size * 0.03), size * 0.2, size * 0.2);
    DrawAdapter(p, r, kPaper, kBlue);
    return image;
}

QImage Banner() {
    const int width = 669;
    const int height = 86;
    // What the window shows of it: the main window is narrower than the banner's rectangle.
    const int shown = 590;
    QImage image = Blank(width, height, kBlueDark);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, shown, 0);
    g.setColorAt(0, kBlueDark);
    g.setColorAt(1, kBlue);
    p.fillRect(QRect(0, 0, width, height), g);
    // Three soft waves across the right-hand side.
    for (int i = 0; i < 3; ++i) {
        // Fading in from the left, so the waves do not start at a hard edge.
        QLinearGradient fade(300, 0, 420, 0);
        fade.setColorAt(0, QColor(255, 255, 255, 0));
        fade.setColorAt(1, QColor(255, 255, 255, 40 + 25 * i));
        p.setPen(QPen(QBrush(fade), 2.0));
        QPainterPath wave;
        const qreal base = 30 + i * 14;
        wave.moveTo(300, base);
        for (int x = 300; x < width; x += 40) {
            wave.cubicTo(x + 10, base - 10, x + 30, base + 10, x + 40, base);
        }
        p.drawPath(wave);
    }
    DrawAdapter(p, QRectF(14, 11, 64, 64), kPaper, kBlue);
    QFont title(QStringLiteral("Liberation Sans"));
    title.setPixelSize(30);
    title.setBold(true);
    p.setFont(title);
    p.setPen(kPaper);
    p.drawText(QRect(92, 12, 400, 36), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Lirra"));
    QFont subtitle(QStringLiteral("Liberation Sans"));
    subtitle.setPixelSize(15);
    p.setFont(subtitle);
    p.setPen(QColor(0xd6, 0xe8, 0xf7));
    p.drawText(QRect(93, 48, 420, 22), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Powerline Configuration Utility"));
    return image;
}

// The page buttons are shorter than their icons; everything is drawn inside the middle 20 rows.
QImage Chevron(bool down) {
    QImage image = Blank(32, 32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawEllipse(QRectF(6.5, 6.5, 19, 19));
    QPen pen(kPaper, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    if (down) {
        p.drawPolyline(QPolygonF({QPointF(11.5, 14), QPointF(16, 18.5), QPointF(20.5, 14)}));
    } else {
        p.drawPolyline(QPolygonF({QPointF(11.5, 18), QPointF(16, 13.5), QPointF(20.5, 18)}));
    }
    return image;
}

QImage GoArrow() {
    QImage image = Blank(32, 32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    QLinearGradient g(0, 6, 0, 26);
    g.setColorAt(0, kBlueLight);
    g.setColorAt(1, kBlue);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(2.5, 6.5, 27, 19), 9.5, 9.5);
    QPen pen(kPaper, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.drawLine(QPointF(9, 16), QPointF(22, 16));
    p.drawPolyline(QPolygonF({QPointF(17.5, 11.5), QPointF(22, 16), QPointF(17.5, 20.5)}));
    return image;
}

QImage Hand() {
    QImage image = Blank(32, 32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath hand;
    // Index finger up, hot spot at its tip (10, 1).
    hand.moveTo(8.5, 3);
    hand.cubicTo(8.5, 0.6, 11.5, 0.6, 11.5, 3);
    hand.lineTo(11.5, 12);
    hand.cubicTo(11.5, 10, 14.5, 10, 14.5, 12);
    hand.lineTo(14.5, 13);
    hand.cubicTo(14.5, 11, 17.5, 11, 17.5, 13);
    hand.lineTo(17.5, 14);
    hand.cubicTo(17.5, 12, 20.5, 12, 20.5, 14);
    hand.lineTo(20.5, 21);
    hand.cubicTo(20.5, 25, 18.5, 27.5, 15, 27.5);
    hand.lineTo(12.5, 27.5);
    hand.cubicTo(10, 27.5, 8.5, 26, 7, 24);
    hand.lineTo(3.2, 18.2);
    hand.cubicTo(2.2, 16.6, 4.2, 15, 5.6, 16.2);
    hand.lineTo(8.5, 19);
    hand.closeSubpath();
    p.setPen(QPen(Qt::black, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawPath(hand);
    p.setPen(QPen(Qt::black, 0.9));
    p.drawLine(QPointF(11.5, 12), QPointF(11.5, 17));
    p.drawLine(QPointF(14.5, 13), QPointF(14.5, 17));
    p.drawLine(QPointF(17.5, 14), QPointF(17.5, 17));
    return image;
}

// Level 0 (no link) to 10: ten bars rising left to right, the first `level` of them filled.
QImage RateLevel(int level) {
    QImage image = Blank(48, 12, Qt::white);
    QPainter p(&image);
    const QColor fill = level <= 2 ? QColor(0xd9, 0x53, 0x3b) : level <= 5 ? QColor(0xe8, 0xa3, 0x17) : kGreen;
    for (int bar = 0; bar < 10; ++bar) {
        const int barHeight = 3 + bar;
        p.fillRect(QRect(bar * 5, 12 - barHeight, 3, barHeight), bar < level ? fill : kGrey);
    }
    return image;
}

QImage Led(bool on) {
    QImage image = Blank(19, 16, Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF disc(3.5, 2, 12, 12);
    if (on) {
        QRadialGradient g(disc.center() - QPointF(2, 2), 8);
        g.setColorAt(0, QColor(0xb8, 0xf5, 0xb0));
        g.setColorAt(1, kGreen);
        p.setBrush(g);
        p.setPen(QPen(QColor(0x1d, 0x73, 0x2c), 1));
    } else {
        QRadialGradient g(disc.center() - QPointF(2, 2), 8);
        g.setColorAt(0, QColor(0xee, 0xee, 0xee));
        g.setColorAt(1, QColor(0x9a, 0x9f, 0xa6));
        p.setBrush(g);
        p.setPen(QPen(QColor(0x70, 0x75, 0x7c), 1));
    }
    p.drawEllipse(disc);
    return image;
}

QImage AdapterLabel() {
    const int width = 176;
    const int height = 104;
    QImage image = Blank(width, height, Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x8a, 0x90, 0x98), 1));
    p.setBrush(QColor(0xf4, 0xf6, 0xf8));
    p.drawRoundedRect(QRectF(0.5, 0.5, width - 1, height - 1), 8, 8);
    QFont bold(QStringLiteral("Liberation Sans"));
    bold.setPixelSize(11);
    bold.setBold(true);
    QFont plain(QStringLiteral("Liberation Sans"));
    plain.setPixelSize(10);
    p.setFont(bold);
    p.setPen(kBlueDark);
    p.drawText(QRect(10, 6, width - 20, 16), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Lirra PL500 AV"));
    p.setPen(QPen(kGrey, 1));
    p.drawLine(10, 24, width - 10, 24);
    const struct {
        const char* label;
        const char* value;
        bool highlight;
    } rows[] = {
        {"MAC", "00:1F:84:12:34:56", false}, {"S/N", "PL5A1023456", false}, {"PWD", "ABCD-EFGH-IJKL-MNOP", true}};
    int y = 30;
    for (const auto& row : rows) {
        if (row.highlight) {
            p.setPen(QPen(QColor(0xd9, 0x53, 0x3b), 1.5));
            p.setBrush(QColor(0xfd, 0xec, 0xe8));
            p.drawRoundedRect(QRectF(6.5, y - 2.5, width - 13, 19), 4, 4);
        }
        p.setFont(bold);
        p.setPen(QColor(0x40, 0x46, 0x4e));
        p.drawText(QRect(12, y, 34, 14), Qt::AlignLeft | Qt::AlignVCenter, QString::fromLatin1(row.label));
        p.setFont(plain);
        p.setPen(Qt::black);
        p.drawText(QRect(46, y, width - 56, 14), Qt::AlignLeft | Qt::AlignVCenter, QString::fromLatin1(row.value));
        y += 22;
    }
    // A bar code strip along the bottom.
    for (int x = 12, i = 0; x < width - 12; x += 2 + (i % 3), ++i) {
        p.fillRect(QRect(x, height - 14, 1 + (i % 2), 8), QColor(0x30, 0x30, 0x30));
    }
    return image;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: pemra_artwork <output directory>\n", stderr);
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(dir);
    bool ok = true;
    for (int size : {16, 32, 48, 64, 128}) {
        ok = Save(AppIcon(size), dir, QStringLiteral("128_%1").arg(size)) && ok;
    }
    ok = Save(Banner(), dir, QStringLiteral("132")) && ok;
    ok = Save(Hand(), dir, QStringLiteral("136")) && ok;
    ok = Save(Chevron(true), dir, QStringLiteral("137")) && ok;
    ok = Save(GoArrow(), dir, QStringLiteral("139")) && ok;
    ok = Save(Chevron(false), dir, QStringLiteral("158")) && ok;
    for (int level = 0; level <= 10; ++level) {
        ok = Save(RateLevel(level), dir, QString::number(142 + level)) && ok;
    }
    ok = Save(Led(true), dir, QStringLiteral("156")) && ok;
    ok = Save(Led(false), dir, QStringLiteral("157")) && ok;
    ok = Save(AdapterLabel(), dir, QStringLiteral("160")) && ok;
    return ok ? 0 : 1;
}
