// An option button that, like the design's, takes a click anywhere on its rectangle.
#include "platform/toolkit/option_button.h"

namespace toolkit {

OptionButton::OptionButton(const QString& caption, QWidget* parent) : QRadioButton(caption, parent)
{
}

bool OptionButton::hitButton(const QPoint& position) const
{
    return rect().contains(position);
}

}  // namespace toolkit
