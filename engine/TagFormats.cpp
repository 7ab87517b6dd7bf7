#include "engine/TagFormats.h"

#include "engine/Charsets.h"
#include "engine/LCDTag.h"
#include "base/TextUtil.h"

#include <charconv>
#include <cmath>

namespace orv {

uint8_t TagFormatOfWord(std::string_view word) {
    if (word == "flash") return tfFlash;
    if (word == "bar") return tfBar;
    if (word == "simple_bar") return tfSimpleBar;
    if (word == "digit_bar") return tfDigitBar;
    if (word == "anim") return tfAnim;
    if (word == "anim_char") return tfAnimChar;
    return tfText;
}

namespace {

// count copies of c; none for a count below 1.
std::string Repeat(int32_t count, char c) {
    return std::string(count > 0 ? static_cast<size_t>(count) : 0, c);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// [sign] digits [sep digits] [e [sign] digits], at least one digit before the exponent.
bool IsRealNumber(std::string_view s) {
    size_t p = 0, digits = 0;
    if (p < s.size() && (s[p] == '+' || s[p] == '-')) ++p;
    while (p < s.size() && IsDigit(s[p])) ++p, ++digits;
    if (p < s.size() && (s[p] == '.' || s[p] == ',')) {
        ++p;
        while (p < s.size() && IsDigit(s[p])) ++p, ++digits;
    }
    if (digits == 0) return false;
    if (p < s.size() && (s[p] == 'e' || s[p] == 'E')) {
        ++p;
        if (p < s.size() && (s[p] == '+' || s[p] == '-')) ++p;
        const size_t expStart = p;
        while (p < s.size() && IsDigit(s[p])) ++p;
        if (p == expStart) return false;
    }
    return p == s.size();
}

double RoundHalfEven(double x) {
    const double lower = std::floor(x);
    const double diff = x - lower;
    if (diff > 0.5) return lower + 1;
    if (diff < 0.5) return lower;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

constexpr int32_t kEmptyLeftEnd = 0, kFilledLeftEnd = 1, kEmptyCell = 2, kThirdCell = 3,
                  kTwoThirdsCell = 4, kFullCell = 5, kFilledRightEnd = 6, kEmptyRightEnd = 7;

TGlyphRows FramedCell(uint8_t inner) {
    return {0x1f, inner, inner, inner, inner, inner, inner, 0x1f};
}

} // namespace

int32_t BarPercent(std::string_view value) {
    value = Trim(value);
    if (value.size() > 256 || !IsRealNumber(value)) return 0;
    std::string text(value.front() == '+' ? value.substr(1) : value);
    for (char& c : text)
        if (c == ',') c = '.';
    double number = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (ec == std::errc::result_out_of_range) {
        const size_t exponent = text.find_first_of("eE");
        if (exponent != std::string::npos && text[exponent + 1] == '-') return 0; // underflow
        return text.front() == '-' ? -1 : 101;
    }
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(number)) return 0;
    const double rounded = RoundHalfEven(number);
    if (rounded < 0) return -1;
    if (rounded > 100) return 101;
    return static_cast<int32_t>(rounded);
}

std::string RenderBar(int32_t percent, int32_t width, const TCharsets& charsets) {
    if (percent < 0 || percent > 100) return {};
    auto piece = [&](int32_t role) { return charsets.BarChar(role); };
    std::string out;
    if (percent == 0) {
        out += piece(kEmptyLeftEnd);
        out += Repeat(width - 2, piece(kEmptyCell));
        out += piece(kEmptyRightEnd);
        return out;
    }
    if (percent == 100) {
        out += piece(kFilledLeftEnd);
        out += Repeat(width - 2, piece(kFullCell));
        out += piece(kFilledRightEnd);
        return out;
    }
    // X = percent * (width - 1) / 100 has at most two decimals: work in hundredths.
    const int64_t hundredths = static_cast<int64_t>(percent) * (width - 1);
    const auto whole = static_cast<int32_t>(hundredths / 100);
    const auto decimals = static_cast<int32_t>(hundredths % 100);
    out += piece(kFilledLeftEnd);
    out += Repeat(whole, piece(kFullCell));
    out += piece(decimals <= 0    ? kEmptyCell
                 : decimals <= 40 ? kThirdCell
                 : decimals <= 80 ? kTwoThirdsCell
                                  : kFullCell);
    out += Repeat(width - whole - 3, piece(kEmptyCell));
    if (width - whole < 3) {
        if (width >= 1 && static_cast<size_t>(width) <= out.size())
            out[static_cast<size_t>(width) - 1] = piece(kFilledRightEnd);
    } else {
        out += piece(kEmptyRightEnd);
    }
    return out;
}

std::string RenderSimpleBar(int32_t percent, int32_t width, TCharsets& charsets) {
    if (percent < 0 || percent > 100 || width < 0) return {};
    // Q = round(percent * width * 5 / 100) pixel columns, halves to even.
    const int64_t scaled = static_cast<int64_t>(percent) * width * 5;
    int64_t pixels = scaled / 100;
    const int64_t rest = scaled % 100;
    if (rest > 50 || (rest == 50 && pixels % 2 == 1)) ++pixels;

    charsets.DefineSlot(1, TGlyphRows{0x1f, 0x1f, 0x1f, 0x1f, 0x1f, 0x1f, 0x1f, 0x1f});
    const auto full = static_cast<int32_t>(pixels / 5);
    std::string out = Repeat(full, '\x01');
    int32_t remaining = width - full;
    int32_t partial = static_cast<int32_t>(pixels % 5);
    if (remaining == width) partial |= 1;
    if (remaining > 0) {
        auto mask = static_cast<uint8_t>(((1u << partial) - 1) << (5 - partial));
        if (remaining == 1) mask |= 0x01;
        charsets.DefineSlot(2, FramedCell(mask & 0x1f));
        out += '\x02';
        --remaining;
    }
    if (remaining > 0) {
        charsets.DefineSlot(3, FramedCell(0));
        out += Repeat(remaining - 1, '\x03');
        charsets.DefineSlot(4, FramedCell(0x01));
        out += '\x04';
    }
    return out;
}

std::string RenderDigitBar(int32_t percent, int32_t width) {
    if (percent < 0 || percent > 100 || width < 0) return {};
    const int32_t shown = percent >= 100 ? 99 : percent;
    const char digits[2] = {static_cast<char>('0' + shown / 10),
                            static_cast<char>('0' + shown % 10)};
    const auto filled = static_cast<int32_t>(static_cast<int64_t>(width) * percent / 100);
    std::string out = Repeat(filled, '\x01') + Repeat(width - filled, '_');
    const int32_t first = width / 2; // 1-based positions first and first + 1
    for (int i = 0; i < 2; ++i) {
        const int32_t pos = first + i;
        if (pos >= 1 && pos <= width) out[static_cast<size_t>(pos - 1)] = digits[i];
    }
    return out;
}

std::string ScrollWindow(std::string_view value, int32_t start, int32_t width) {
    const size_t ringSize = 2 * value.size() + 1;
    const size_t from = start < 1 ? 0 : static_cast<size_t>(start - 1);
    std::string out;
    if (width <= 0 || from >= ringSize) return out;
    const size_t count = std::min(static_cast<size_t>(width), ringSize - from);
    out.reserve(count);
    for (size_t i = from; i < from + count; ++i) {
        if (i < value.size())
            out += value[i];
        else if (i == value.size())
            out += ' ';
        else
            out += value[i - value.size() - 1];
    }
    return out;
}

} // namespace orv
