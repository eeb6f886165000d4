// The look of every window of the program.
#include "platform/toolkit/program_style.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOptionGroupBox>

namespace toolkit {
namespace {

// The sizes of the windows were made for a narrow 8-point sans-serif; Liberation Sans has
// Arial's metrics.
constexpr const char* controlFontFamily = "Liberation Sans";
constexpr int controlFontPoints = 8;
constexpr int thumbMinimum = 8;    // px: a 65-px bar keeps 23 px of travel
constexpr int captionIndent = 8;   // px from the frame's left edge to its caption
constexpr int captionGap = 2;      // px of border left out on each side of the caption
constexpr double frameRadius = 2;  // px, the corners of a frame's border

}  // namespace

ProgramStyle::ProgramStyle() : QProxyStyle("Fusion") {}

int ProgramStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                              const QWidget* widget) const
{
    if (metric == PM_ScrollBarSliderMin) {
        return thumbMinimum;
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
}

// A frame's border runs through the middle of its caption line, from the frame's top; what the
// frame holds is placed from its top-left corner, whatever the border does.
QRect ProgramStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                   SubControl subControl, const QWidget* widget) const
{
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || box == nullptr) {
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    }
    const int lineHeight = box->fontMetrics.height();
    const QRect whole = box->rect;
    const QRect frame = box->text.isEmpty() ? whole : whole.adjusted(0, lineHeight / 2, 0, 0);
    switch (subControl) {
        case SC_GroupBoxFrame:
            return frame;
        case SC_GroupBoxLabel:
            return {whole.left() + captionIndent, whole.top(),
                    box->fontMetrics.horizontalAdvance(box->text), lineHeight};
        case SC_GroupBoxContents:
            return frame.adjusted(1, box->text.isEmpty() ? 1 : lineHeight - lineHeight / 2, -1, -1);
        default:
            return QProxyStyle::subControlRect(control, option, subControl, widget);
    }
}

void ProgramStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                      QPainter* painter, const QWidget* widget) const
{
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || box == nullptr) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    const QRect caption = subControlRect(CC_GroupBox, box, SC_GroupBoxLabel, widget);
    const QRect frame = subControlRect(CC_GroupBox, box, SC_GroupBoxFrame, widget);
    painter->save();
    if (!box->text.isEmpty()) {
        painter->setClipRegion(QRegion(box->rect) -
                               caption.adjusted(-captionGap, 0, captionGap, 0));
    }
    // The base style's own frame keeps a caption's height free above it, so the border is drawn
    // here.
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(box->palette.color(QPalette::Mid));
    painter->drawRoundedRect(QRectF(frame).adjusted(0.5, 0.5, -0.5, -0.5), frameRadius,
                             frameRadius);
    painter->restore();
    if (!box->text.isEmpty()) {
        proxy()->drawItemText(painter, caption, Qt::AlignLeft | Qt::AlignVCenter, box->palette,
                              (box->state & State_Enabled) != 0, box->text, QPalette::WindowText);
    }
}

void useProgramLook()
{
    static const bool done = [] {
        QApplication::setStyle(new ProgramStyle);
        // Hinting only up and down keeps each glyph's advance as the font designs it, so that
        // captions take the same width on every platform and screen.
        QFont font(controlFontFamily, controlFontPoints);
        font.setHintingPreference(QFont::PreferVerticalHinting);
        QApplication::setFont(font);
        return true;
    }();
    (void)done;
}

}  // namespace toolkit
