#include "modules/tagscan/Genres.h"

#include "base/TextUtil.h"

#include <array>
#include <optional>

namespace orv {

namespace {

constexpr std::array<std::string_view, kGenreCount> kGenres = {
    "Blues",
    "Classic Rock",
    "Country",
    "Dance",
    "Disco",
    "Funk",
    "Grunge",
    "Hip-Hop",
    "Jazz",
    "Metal",
    "New Age",
    "Oldies",
    "Other",
    "Pop",
    "R&B",
    "Rap",
    "Reggae",
    "Rock",
    "Techno",
    "Industrial",
    "Alternative",
    "Ska",
    "Death Metal",
    "Pranks",
    "Soundtrack",
    "Euro-Techno",
    "Ambient",
    "Trip-Hop",
    "Vocal",
    "Jazz+Funk",
    "Fusion",
    "Trance",
    "Classical",
    "Instrumental",
    "Acid",
    "House",
    "Game",
    "Sound Clip",
    "Gospel",
    "Noise",
    "AlternRock",
    "Bass",
    "Soul",
    "Punk",
    "Space",
    "Meditative",
    "Instrumental Pop",
    "Instrumental Rock",
    "Ethnic",
    "Gothic",
    "Darkwave",
    "Techno-Industrial",
    "Electronic",
    "Pop-Folk",
    "Eurodance",
    "Dream",
    "Southern Rock",
    "Comedy",
    "Cult",
    "Gangsta",
    "Top 40",
    "Christian Rap",
    "Pop/Funk",
    "Jungle",
    "Native American",
    "Cabaret",
    "New Wave",
    "Psychadelic",
    "Rave",
    "Showtunes",
    "Trailer",
    "Lo-Fi",
    "Tribal",
    "Acid Punk",
    "Acid Jazz",
    "Polka",
    "Retro",
    "Musical",
    "Rock & Roll",
    "Hard Rock",
    "Folk",
    "Folk-Rock",
    "National Folk",
    "Swing",
    "Fast Fusion",
    "Bebob",
    "Latin",
    "Revival",
    "Celtic",
    "Bluegrass",
    "Avantgarde",
    "Gothic Rock",
    "Progressive Rock",
    "Psychedelic Rock",
    "Symphonic Rock",
    "Slow Rock",
    "Big Band",
    "Chorus",
    "Easy Listening",
    "Acoustic",
    "Humour",
    "Speech",
    "Chanson",
    "Opera",
    "Chamber Music",
    "Sonata",
    "Symphony",
    "Booty Bass",
    "Primus",
    "Porn Groove",
    "Satire",
    "Slow Jam",
    "Club",
    "Samba",
    "Folklore",
};

// The name of a genre number written as text, or nullopt when text is not one.
std::optional<std::string_view> NamedGenre(std::string_view number) {
    if (number == "RX") return "Remix";
    if (number == "CR") return "Cover";
    const std::optional<int32_t> index = ParseInt32(number);
    if (!index || *index < 0 || *index >= kGenreCount || number != Trim(number))
        return std::nullopt;
    return kGenres[static_cast<size_t>(*index)];
}

} // namespace

std::string_view GenreName(uint8_t index) {
    return index < kGenreCount ? kGenres[index] : std::string_view();
}

std::string GenreText(std::string_view frameText) {
    if (const auto name = NamedGenre(frameText)) return std::string(*name);
    if (!frameText.starts_with('(') || frameText.starts_with("((")) return std::string(frameText);
    const size_t close = frameText.find(')');
    if (close == std::string_view::npos) return std::string(frameText);
    const std::string_view refinement = frameText.substr(close + 1);
    const auto name = NamedGenre(frameText.substr(1, close - 1));
    if (!name) return std::string(frameText);
    if (refinement.empty() || refinement.starts_with('(')) return std::string(*name);
    return std::string(refinement);
}

} // namespace orv
