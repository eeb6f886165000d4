// The modal message box with one OK button, which tests can watch without blocking.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace toolkit {

// Shows text in a modal box titled as its window and waits for OK.
void showMessageBox(QWidget* parent, const QString& text);

// While an observer is set, boxes are handed to it instead of being shown.
using MessageBoxObserver = std::function<void(const QString& text)>;
void setMessageBoxObserver(MessageBoxObserver observer);

}  // namespace toolkit
