// Base of the program's windows: closing one, by code or by its title bar, unloads it; the
// program ends once none of them is visible.
#include "platform/toolkit/window.h"

#include <QApplication>
#include <QCloseEvent>

#include "platform/toolkit/program_icon.h"
#include "platform/toolkit/program_style.h"
#include "platform/toolkit/window_registry.h"

namespace toolkit {

Window::Window(QWidget* parent) : QWidget(parent)
{
    useProgramLook();
    useProgramIcon();
    // This window was made before the look was in place if it is the first of the program.
    setFont(QApplication::font());
    setAttribute(Qt::WA_DeleteOnClose);
}

void Window::closeEvent(QCloseEvent* event)
{
    WindowRegistry::forget(this);
    event->accept();
}

void Window::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    WindowRegistry::endSoonIfNoneVisible();
}

}  // namespace toolkit
