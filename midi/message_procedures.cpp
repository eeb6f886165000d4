// Building and sending the messages: every byte the program sends leaves through here.
#include "midi/message_procedures.h"

#include <algorithm>

#include "midi/device_handle.h"
#include "midi/hex.h"
#include "midi/hex_text.h"
#include "midi/message_text.h"

namespace midi {
namespace {

constexpr int channels = 16;

}  // namespace

bool wholeArguments(std::initializer_list<double> arguments)
{
    return std::all_of(arguments.begin(), arguments.end(),
                       [](double argument) { return wholeNumber(argument).has_value(); });
}

bool sendText(std::string_view text)
{
    const std::optional<std::uint32_t> value = hexTextValue(text);
    if (value) {
        winmm::midiOutShortMsg(Devicehandle, *value);
    }
    return value.has_value();
}

void noteOn(double channel, double note, double volume)
{
    if (wholeArguments({channel, note, volume})) {
        sendText(noteOnText(channel, note, volume));
    }
}

void noteOff(double channel, double note)
{
    if (wholeArguments({channel, note})) {
        sendText(noteOffText(channel, note));
    }
}

void programChange(double channel, double program)
{
    if (wholeArguments({channel, program})) {
        sendText(patchText(channel, program));
    }
}

void allNotesOff()
{
    for (int channel = 0; channel < channels; ++channel) {
        sendText(allNotesOffText(channel));
    }
}

}  // namespace midi
