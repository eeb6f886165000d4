// An option button that, like the design's, takes a click anywhere on its rectangle.
#pragma once

#include <QRadioButton>

namespace toolkit {

class OptionButton : public QRadioButton {
    Q_OBJECT
public:
    OptionButton(const QString& caption, QWidget* parent);

protected:
    bool hitButton(const QPoint& position) const override;
};

}  // namespace toolkit
