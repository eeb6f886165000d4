// Building and sending the messages: every byte the program sends leaves through here.
#pragma once

#include <initializer_list>
#include <string_view>

namespace midi {

// True when every argument is a whole number of 0 or more after rounding half to even.
bool wholeArguments(std::initializer_list<double> arguments);

// Converts the text and sends it through Devicehandle; false (and nothing sent) when the text
// does not convert.
bool sendText(std::string_view text);

// Each sends nothing when an argument is negative after rounding (or not a number).
void noteOn(double channel, double note, double volume);
void noteOff(double channel, double note);
void programChange(double channel, double program);
// All Notes Off on channels 0 to 15, in that order.
void allNotesOff();

}  // namespace midi
