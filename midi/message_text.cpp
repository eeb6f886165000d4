// The text of every message the program sends, joined exactly as the digit helpers give them.
#include "midi/message_text.h"

#include "midi/hex.h"

namespace midi {

std::string noteOnText(double channel, double note, double volume)
{
    return "&h" + std::string("00") + Hex2(volume) + Hex2(note) + "9" + Hex(channel);
}

std::string noteOffText(double channel, double note)
{
    return "&h" + std::string("00") + "00" + Hex2(note) + "9" + Hex(channel - 1);
}

std::string patchText(double channel, double program)
{
    return "&h" + std::string("0000") + Hex2(program) + "C" + Hex(channel - 1);
}

std::string allNotesOffText(int channel)
{
    return "&H" + std::string("0000") + "7B" + "B" + Hex(channel);
}

std::string volumeBarText(int volume, int channel)
{
    return "&h" + std::string("00") + Hex2(volume) + "07" + "B" + Hex(channel);
}

std::string programBarText(int program, int channel)
{
    return "&h" + std::string("0000") + Hex2(program) + "C" + Hex(channel);
}

std::string rawEntryText(std::string_view typed)
{
    constexpr std::string_view blanks = " \t";
    const std::size_t first = typed.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return "&H";
    }
    const std::size_t last = typed.find_last_not_of(blanks);
    return "&H" + std::string(typed.substr(first, last - first + 1));
}

}  // namespace midi
