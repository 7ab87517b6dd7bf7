#include "modules/common/StoredPassword.h"

#include "base/TextUtil.h"

namespace orv {

namespace {

// With the high bit set, letters and digits never become blanks, quotes or line ends.
constexpr char kPasswordKey = static_cast<char>(0x9C);

} // namespace

std::string ScramblePassword(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(c ^ kPasswordKey);
    return out;
}

std::string StoredPassword(std::string_view plain) {
    std::string scrambled = ScramblePassword(plain);
    if (!scrambled.empty() && (IsBlank(scrambled.front()) || IsBlank(scrambled.back()) ||
                               scrambled.front() == '"' || scrambled.front() == '\''))
        scrambled = '"' + scrambled + '"';
    return scrambled;
}

} // namespace orv
