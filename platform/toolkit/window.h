// Base of the program's windows: closing one, by code or by its title bar, unloads it; the
// program ends once none of them is visible.
#pragma once

#include <QWidget>

namespace toolkit {

class Window : public QWidget {
    Q_OBJECT
public:
    explicit Window(QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
};

}  // namespace toolkit
