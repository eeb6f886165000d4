// Draws the splash picture (155 x 306 pixels) and writes it as a JPEG:
//   make-splash-picture windows/splash/resources/splash.jpg
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdio>

namespace {

constexpr int width = 155;
constexpr int height = 306;
constexpr int jpegQuality = 85;

void paintSky(QPainter& painter)
{
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0.0, QColor(18, 24, 74));
    sky.setColorAt(0.55, QColor(94, 38, 122));
    sky.setColorAt(1.0, QColor(232, 118, 64));
    painter.fillRect(0, 0, width, height, sky);
}

// A keyboard standing on its end along the right edge.
void paintKeys(QPainter& painter)
{
    constexpr int keyHeight = 18;
    constexpr int keysLeft = 112;
    painter.setPen(QPen(QColor(40, 40, 48), 1));
    for (int top = 4; top + keyHeight <= height - 4; top += keyHeight) {
        painter.setBrush(QColor(246, 242, 230));
        painter.drawRect(keysLeft, top, width - keysLeft - 5, keyHeight);
    }
    const bool blackAfter[] = {true, true, false, true, true, true, false};
    painter.setBrush(QColor(24, 22, 30));
    int key = 0;
    for (int top = 4 + keyHeight; top < height - 8; top += keyHeight, ++key) {
        if (blackAfter[key % 7]) {
            painter.drawRect(keysLeft, top - 5, 22, 10);
        }
    }
}

// Notes rising from the keys like bubbles, in warm and cool colours.
void paintNotes(QPainter& painter)
{
    struct Note {
        int x, y, size;
        QColor colour;
    };
    const Note notes[] = {
        {30, 250, 18, QColor(255, 196, 64)},  {62, 206, 14, QColor(96, 220, 200)},
        {24, 160, 22, QColor(255, 120, 160)}, {70, 118, 12, QColor(160, 200, 255)},
        {38, 72, 16, QColor(255, 230, 120)},  {78, 40, 10, QColor(120, 255, 160)}};
    painter.setPen(Qt::NoPen);
    for (const Note& note : notes) {
        painter.setBrush(note.colour);
        painter.drawEllipse(QPointF(note.x, note.y), note.size * 0.7, note.size * 0.5);
        painter.fillRect(
            QRectF(note.x + note.size * 0.55, note.y - note.size * 2.2, 2.5, note.size * 2.2),
            note.colour);
    }
}

void paintWave(QPainter& painter)
{
    QPainterPath wave;
    wave.moveTo(4, 290);
    for (int y = 290; y > 10; y -= 4) {
        wave.lineTo(8 + 6 * std::sin(y / 14.0), y);
    }
    painter.setPen(QPen(QColor(255, 255, 255, 140), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(wave);
}

}  // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-splash-picture OUTPUT.jpg\n");
        return 2;
    }
    QImage picture(width, height, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    paintSky(painter);
    paintWave(painter);
    paintNotes(painter);
    paintKeys(painter);
    painter.end();
    return picture.save(argv[1], "JPEG", jpegQuality) ? 0 : 1;
}
