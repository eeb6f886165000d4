// Draws the program's icon at one size and writes it as a PNG; the build runs it for each size
// the desktop's icon theme takes:
//   make-icon 128 vorlik.png
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <cstdlib>

namespace {

// The icon is drawn on a 256-unit square and scaled to the size asked for.
constexpr double unit = 256;

void paintTile(QPainter& painter)
{
    QLinearGradient sky(0, 0, 0, unit);
    sky.setColorAt(0.0, QColor(18, 24, 74));
    sky.setColorAt(0.6, QColor(94, 38, 122));
    sky.setColorAt(1.0, QColor(232, 118, 64));
    painter.setPen(Qt::NoPen);
    painter.setBrush(sky);
    painter.drawRoundedRect(QRectF(8, 8, unit - 16, unit - 16), 40, 40);
}

// Five white keys with three black ones between them, along the bottom.
void paintKeys(QPainter& painter)
{
    constexpr double left = 40;
    constexpr double top = 150;
    constexpr double keyWidth = 35.2;
    constexpr double keyHeight = 66;
    painter.setPen(QPen(QColor(40, 40, 48), 3));
    painter.setBrush(QColor(246, 242, 230));
    for (int key = 0; key < 5; ++key) {
        painter.drawRect(QRectF(left + key * keyWidth, top, keyWidth, keyHeight));
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(24, 22, 30));
    for (const int gap : {1, 2, 4}) {
        painter.drawRect(QRectF(left + gap * keyWidth - 10, top, 20, keyHeight * 0.6));
    }
}

// The coloured strokes that a pointer draws as it plays.
void paintStrokes(QPainter& painter)
{
    const QColor colours[] = {QColor(0, 192, 192), QColor(255, 214, 64), QColor(255, 96, 128)};
    for (int stroke = 0; stroke < 3; ++stroke) {
        QPainterPath path;
        const double base = 60 + stroke * 26;
        path.moveTo(44, base + 20);
        path.cubicTo(90, base - 30, 140, base + 50, 212, base - 10);
        painter.setPen(QPen(colours[stroke], 10, Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
    }
}

}  // namespace

int main(int argc, char* argv[])
{
    const int size = argc == 3 ? std::atoi(argv[1]) : 0;
    if (size <= 0) {
        std::fprintf(stderr, "usage: make-icon SIZE FILE.png\n");
        return 2;
    }
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / unit, size / unit);
    paintTile(painter);
    paintStrokes(painter);
    paintKeys(painter);
    painter.end();
    if (!icon.save(argv[2], "PNG")) {
        std::fprintf(stderr, "make-icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
