// Stock controls with their design names, places, captions and design-time values.
#include "platform/toolkit/controls.h"

#include "platform/toolkit/option_button.h"
#include "platform/toolkit/wrapping_button.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace toolkit {

namespace {

template <class Control>
Control* placed(Control* control, const char* name, QRect place)
{
    control->setObjectName(name);
    control->setGeometry(place);
    return control;
}

}  // namespace

QPushButton* makeButton(QWidget* parent, const char* name, const char* caption, QRect place)
{
    return placed(new WrappingButton(caption, parent), name, place);
}

QListWidget* makeList(QWidget* parent, const char* name, QRect place)
{
    return placed(new QListWidget(parent), name, place);
}

QLineEdit* makeTextBox(QWidget* parent, const char* name, const char* text, QRect place)
{
    auto* textBox = placed(new QLineEdit(text, parent), name, place);
    textBox->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return textBox;
}

QLabel* makeLabel(QWidget* parent, const char* name, const char* caption, QRect place, bool centred)
{
    auto* label = placed(new QLabel(caption, parent), name, place);
    label->setWordWrap(true);
    label->setAlignment(centred ? Qt::AlignHCenter | Qt::AlignTop : Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QRadioButton* makeOptionButton(QWidget* parent, const char* name, const char* caption, QRect place)
{
    return placed(new OptionButton(caption, parent), name, place);
}

QGroupBox* makeFrame(QWidget* parent, const char* name, const char* caption, QRect place)
{
    return placed(new QGroupBox(caption, parent), name, place);
}

QScrollBar* makeScrollBar(QWidget* parent, const char* name, Qt::Orientation orientation,
                          QRect place, int minimum, int maximum, int value)
{
    auto* bar = placed(new QScrollBar(orientation, parent), name, place);
    bar->setRange(minimum, maximum);
    bar->setValue(value);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    bar->setTracking(false);
    bar->setFocusPolicy(Qt::StrongFocus);
    return bar;
}

void orderTabs(const std::vector<QWidget*>& order)
{
    for (std::size_t i = 1; i < order.size(); ++i) {
        QWidget::setTabOrder(order[i - 1], order[i]);
    }
}

void writeValue(QScrollBar& bar, double value)
{
    if (std::isnan(value)) {
        return;
    }
    const double kept = std::clamp(std::nearbyint(value), static_cast<double>(bar.minimum()),
                                   static_cast<double>(bar.maximum()));
    bar.setValue(static_cast<int>(kept));
}

}  // namespace toolkit
