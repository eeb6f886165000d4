// The modal message box with one OK button, which tests can watch without blocking.
#include "platform/toolkit/message_box.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace toolkit {
namespace {

MessageBoxObserver& observer()
{
    static MessageBoxObserver current;
    return current;
}

}  // namespace

void showMessageBox(QWidget* parent, const QString& text)
{
    if (observer()) {
        observer()(text);
        return;
    }
    const QString title =
        parent != nullptr ? parent->window()->windowTitle() : QCoreApplication::applicationName();
    QMessageBox::information(parent, title, text);
}

void setMessageBoxObserver(MessageBoxObserver observer)
{
    toolkit::observer() = std::move(observer);
}

}  // namespace toolkit
