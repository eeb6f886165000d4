// The look of every window of the program: the toolkit's own style with an 8-point font of
// Arial's metrics, frames whose caption sits in their top border line, and scroll-bar thumbs
// small enough to travel along short bars.
#pragma once

#include <QProxyStyle>

namespace toolkit {

class ProgramStyle final : public QProxyStyle {
public:
    ProgramStyle();

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                         SubControl subControl, const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget = nullptr) const override;
};

// Puts the program's style and font in place; the first window does it, once.
void useProgramLook();

}  // namespace toolkit
