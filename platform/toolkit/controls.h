// Stock controls with their design names, places, captions and design-time values.
#pragma once

#include <QRect>

#include <vector>

class QGroupBox;
class QLineEdit;
class QListWidget;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QWidget;

namespace toolkit {

// Buttons wrap their caption within their width.
QPushButton* makeButton(QWidget* parent, const char* name, const char* caption, QRect place);
QListWidget* makeList(QWidget* parent, const char* name, QRect place);
// A one-line text box; its text sits at the top left, however tall the box.
QLineEdit* makeTextBox(QWidget* parent, const char* name, const char* text, QRect place);
// Labels wrap their caption within their width.
QLabel* makeLabel(QWidget* parent, const char* name, const char* caption, QRect place,
                  bool centred = false);
// Option buttons of one parent form one group; a click anywhere on one selects it.
QRadioButton* makeOptionButton(QWidget* parent, const char* name, const char* caption, QRect place);
QGroupBox* makeFrame(QWidget* parent, const char* name, const char* caption, QRect place);
// Moves by 1 for small and large steps; reports changes of value only, not the thumb's travel.
QScrollBar* makeScrollBar(QWidget* parent, const char* name, Qt::Orientation orientation,
                          QRect place, int minimum, int maximum, int value);

// Makes Tab move through the controls in the order given.
void orderTabs(const std::vector<QWidget*>& order);

// Writes a value the way the program writes a bar: rounded half to even and kept within the
// bar's range (not a number changes nothing); a change runs the bar's change handler before
// this returns.
void writeValue(QScrollBar& bar, double value);

}  // namespace toolkit
