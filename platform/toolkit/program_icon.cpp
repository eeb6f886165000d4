// The program's icon, drawn at any size, on its windows; and its desktop entry's name.
#include "platform/toolkit/program_icon.h"

#include <QApplication>
#include <QIcon>
#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>

namespace toolkit {
namespace {

constexpr const char* programName = "vorlik";  // of the theme icon and the desktop entry
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

// The icon in the largest square that fits the rectangle, at its top-left corner.
void paintIcon(QPainter& painter, const QRect& place)
{
    const double scale = std::min(place.width(), place.height()) / unit;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(place.topLeft());
    painter.scale(scale, scale);
    paintTile(painter);
    paintStrokes(painter);
    paintKeys(painter);
    painter.restore();
}

// Draws the icon when the window system asks for a size, so nothing is drawn while a theme
// icon serves.
class DrawnIcon final : public QIconEngine {
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override
    {
        paintIcon(*painter, rect);
    }
    // On a transparent square: the base class would leave the pixmap's corners undefined.
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        return QPixmap::fromImage(drawProgramIcon(std::min(size.width(), size.height())));
    }
    QIconEngine* clone() const override { return new DrawnIcon; }
};

}  // namespace

QImage drawProgramIcon(int size)
{
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    paintIcon(painter, icon.rect());
    return icon;
}

void useProgramIcon()
{
    static const bool done = [] {
        QGuiApplication::setDesktopFileName(programName);
        QApplication::setWindowIcon(QIcon::fromTheme(programName, QIcon(new DrawnIcon)));
        return true;
    }();
    (void)done;
}

}  // namespace toolkit
