// A push button whose caption wraps onto more lines when it is wider than the button.
#include "platform/toolkit/wrapping_button.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace toolkit {

WrappingButton::WrappingButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent)
{
}

// The style draws the bevel and focus frame without the caption; the caption follows, wrapped
// at word boundaries and centred in what the style leaves for contents.
void WrappingButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    const QRect contents = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    painter.drawItemText(contents, Qt::AlignCenter | Qt::TextWordWrap, palette(), isEnabled(),
                         text(), QPalette::ButtonText);
}

}  // namespace toolkit
