// The items of one tag as the tag parameter editor shows them, read from a tag text and written
// back: $name[argument,left,width,refresh,format]$ with empty trailing items left out.
#pragma once

#include <string>
#include <string_view>

namespace orv {

// The format words by list position; position 0 (text) writes no word.
constexpr std::string_view kTagFormatWords[] = {"",          "flash", "bar",      "simple_bar",
                                                "digit_bar", "anim",  "anim_char"};
constexpr int kTagFormatCount = 7;
constexpr int kRefreshRateCount = 4; // "очень низкая" .. "высокая", refresh items 1..4

struct TTagParameters {
    std::string Name = "$";      // the tag name with both dollar signs: "$time$"
    std::string Argument = "-1"; // "-1" or empty: none
    std::string Left = "-1";     // a column or "r"; "-1", "0" or empty: none
    std::string Width = "-1";    // written only when it is a number above 0
    bool RefreshOn = false;
    int RefreshIndex = 1; // 0..3 for refresh items 1..4 ("низкая" unless the tag says)
    int FormatIndex = 0;  // position in kTagFormatWords
};

// The items of a tag text ("$time[5,,,3]$"). Items are cut at commas, so an argument holds
// none; a refresh item that is not 1..4 reads as no refresh, an unknown format word as text.
TTagParameters ReadTagParameters(std::string_view tagText);

// The tag text of the items: the form ReadTagParameters reads, trailing empty items and the
// brackets left out when nothing is set ("$time$").
std::string BuildTagText(const TTagParameters& parameters);

} // namespace orv
