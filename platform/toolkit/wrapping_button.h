// A push button whose caption wraps onto more lines when it is wider than the button.
#pragma once

#include <QPushButton>

namespace toolkit {

class WrappingButton : public QPushButton {
    Q_OBJECT
public:
    WrappingButton(const QString& caption, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace toolkit
