// Base of the program's windows: closing one, by code or by its title bar, unloads it.
#pragma once

#include <QWidget>

namespace toolkit {

class Window : public QWidget {
    Q_OBJECT
public:
    explicit Window(QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;
};

}  // namespace toolkit
