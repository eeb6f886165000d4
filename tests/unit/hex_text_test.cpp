// Converting message texts to packed values, against a table and against a simple reference.
#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <random>
#include <string>

#include "midi/hex_text.h"

namespace {

using midi::hexTextValue;

TEST(HexTextValue, AcceptsEitherPrefixEitherCaseAndLeadingZeros)
{
    EXPECT_EQ(hexTextValue("&h00403C90"), 0x00403C90U);
    EXPECT_EQ(hexTextValue("&H00007BBF"), 0x00007BBFU);
    EXPECT_EQ(hexTextValue("&Hffffffff"), 0xFFFFFFFFU);
    EXPECT_EQ(hexTextValue("&H80000000"), 0x80000000U);
    EXPECT_EQ(hexTextValue("&H903C"), 0x0000903CU);
    EXPECT_EQ(hexTextValue("&H0"), 0U);
    EXPECT_EQ(hexTextValue("&h00000000000642a90"), 0x00642A90U);
}

TEST(HexTextValue, WiderFieldsShiftTheOthersUp)
{
    // Note on for channel 16 writes two channel digits: status 0x10, data 0xC9 and 0x03.
    EXPECT_EQ(hexTextValue("&h00403C910"), 0x0403C910U);
}

TEST(HexTextValue, RefusesWhatIsNotOneHexadecimalNumberOfAtMost32Bits)
{
    for (const char* text : {"", "&h", "&H", "00642A90", "&x10", "&H12G4", "&H 903C", "&H-1",
                             "&H100000000", "&H123456789", "&h000005CFFFFFFFF", "&H1 2"}) {
        EXPECT_FALSE(hexTextValue(text)) << '"' << text << '"';
    }
}

// What the converter must agree with: every character a hexadecimal digit, at most eight left
// once the leading zeros are gone.
std::optional<std::uint32_t> reference(const std::string& text)
{
    if (text.size() < 3 || text[0] != '&' || (text[1] != 'h' && text[1] != 'H')) {
        return std::nullopt;
    }
    const std::string digits = text.substr(2);
    for (const char c : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
    }
    const std::size_t first = digits.find_first_not_of('0');
    if (first != std::string::npos && digits.size() - first > 8) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(std::stoull(digits, nullptr, 16));
}

TEST(HexTextValue, AgreesWithTheReferenceOnRandomTexts)
{
    constexpr std::string_view alphabet = "0123456789abcdefABCDEFgG&hH -x\t";
    std::mt19937 random(20261208);
    std::uniform_int_distribution<std::size_t> length(0, 14);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::bernoulli_distribution withPrefix(0.8);
    for (int round = 0; round < 200000; ++round) {
        std::string text = withPrefix(random) ? (round % 2 ? "&H" : "&h") : "";
        for (std::size_t i = length(random); i > 0; --i) {
            text += alphabet[pick(random)];
        }
        ASSERT_EQ(hexTextValue(text), reference(text)) << '"' << text << '"';
    }
}

}  // namespace
