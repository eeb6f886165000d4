// The text of every message the program sends, joined exactly as the digit helpers give them.
#pragma once

#include <string>
#include <string_view>

namespace midi {

// Note on; channel 0 to 15 goes into the status byte as it is.
std::string noteOnText(double channel, double note, double volume);
// Note on with velocity 0 on channel - 1 (channels counted from 1).
std::string noteOffText(double channel, double note);
// Program change on channel - 1 (channels counted from 1).
std::string patchText(double channel, double program);
// Controller 123, All Notes Off, on channel 0 to 15.
std::string allNotesOffText(int channel);
// Controller 7, channel volume, from the volume bar on the channel bar's channel 0 to 15.
std::string volumeBarText(int volume, int channel);
// Program change from the program bar (1 to 128, sent as it is) on the channel bar's channel.
std::string programBarText(int program, int channel);
// The raw entry: "&H" and the typed digits, blanks before and after them dropped.
std::string rawEntryText(std::string_view typed);

}  // namespace midi
