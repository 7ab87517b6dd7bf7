#include "modules/postwatch/MailHeaders.h"

#include "base/LocaleDate.h"
#include "base/TextUtil.h"
#include "modules/common/CharsetText.h"
#include "modules/common/InternetTransfer.h"

#include <array>
#include <ctime>
#include <vector>

namespace orv {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = LowerAscii(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string DecodeQ(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '_') {
            out += ' ';
        } else if (c == '=' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
                   HexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

std::string DecodeB(std::string_view text) {
    std::string out;
    uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        if (c == '=') break;
        const int v = Base64Value(c);
        if (v < 0) continue;
        bits = (bits << 6) | static_cast<uint32_t>(v);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out += static_cast<char>((bits >> count) & 0xFF);
        }
    }
    return out;
}

// One "=?charset?E?text?=" at text[pos]; its end and parts, or nullopt.
struct TEncodedWord {
    size_t end;
    std::string charset;
    std::string bytes;
};

std::optional<TEncodedWord> EncodedWordAt(std::string_view text, size_t pos) {
    if (text.substr(pos, 2) != "=?") return std::nullopt;
    const size_t q1 = text.find('?', pos + 2);
    if (q1 == std::string_view::npos || q1 + 2 >= text.size() || text[q1 + 2] != '?')
        return std::nullopt;
    const char encoding = LowerAscii(text[q1 + 1]);
    if (encoding != 'b' && encoding != 'q') return std::nullopt;
    const size_t close = text.find("?=", q1 + 3);
    if (close == std::string_view::npos) return std::nullopt;
    std::string_view charset = text.substr(pos + 2, q1 - pos - 2);
    charset = charset.substr(0, charset.find('*')); // RFC 2231 language
    const std::string_view payload = text.substr(q1 + 3, close - q1 - 3);
    if (payload.find_first_of(" \t") != std::string_view::npos) return std::nullopt;
    TEncodedWord word{close + 2, std::string(charset),
                      encoding == 'b' ? DecodeB(payload) : DecodeQ(payload)};
    for (char& c : word.charset) c = LowerAscii(c);
    return word;
}

std::string ToCp1251(std::string_view bytes, std::string_view charset) {
    if (charset.empty()) {
        if (LooksLikeUtf8(bytes))
            return CharsetToCp1251(bytes, "utf-8").value_or(std::string(bytes));
        return std::string(bytes);
    }
    return CharsetToCp1251(bytes, charset).value_or(std::string(bytes));
}

bool OnlyBlanks(std::string_view text) {
    for (char c : text)
        if (!IsBlank(c)) return false;
    return true;
}

std::string Unfold(std::string_view header) {
    std::string out;
    for (size_t i = 0; i < header.size(); ++i) {
        if (header[i] == '\r') continue;
        if (header[i] == '\n') {
            if (i + 1 < header.size() && (header[i + 1] == ' ' || header[i + 1] == '\t'))
                continue; // a folded line goes on
            out += '\n';
            continue;
        }
        out += header[i];
    }
    return out;
}

constexpr std::array<const char*, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                 "jul", "aug", "sep", "oct", "nov", "dec"};

} // namespace

std::string DecodeHeaderText(std::string_view text, std::string_view messageCharset) {
    std::string out;
    std::string plain; // text outside encoded words, not yet converted
    std::string run;   // bytes of adjacent encoded words of one charset
    std::string runCharset;
    const auto flushRun = [&] {
        if (!runCharset.empty() || !run.empty()) out += ToCp1251(run, runCharset);
        run.clear();
        runCharset.clear();
    };
    const auto flushPlain = [&] {
        out += ToCp1251(plain, messageCharset);
        plain.clear();
    };
    bool afterWord = false;
    size_t pos = 0;
    while (pos < text.size()) {
        if (auto word = EncodedWordAt(text, pos)) {
            // Blanks between two encoded words are dropped.
            if (!(afterWord && OnlyBlanks(plain))) {
                flushRun();
                flushPlain();
            } else {
                plain.clear();
            }
            if (afterWord && word->charset != runCharset) flushRun();
            runCharset = word->charset;
            run += word->bytes;
            afterWord = true;
            pos = word->end;
            continue;
        }
        if (afterWord && !IsBlank(text[pos])) {
            flushRun();
            flushPlain();
            afterWord = false;
        }
        plain += text[pos++];
    }
    flushRun();
    flushPlain();
    return out;
}

std::optional<std::chrono::year_month_day> MailDateToLocal(std::string_view text) {
    // [day-name ","] day month year hour ":" minute [":" second] zone
    std::vector<std::string> tokens;
    std::string token;
    for (char c : text) {
        if (IsBlank(c) || c == ',') {
            if (!token.empty()) tokens.push_back(token), token.clear();
        } else {
            token += c;
        }
    }
    if (!token.empty()) tokens.push_back(token);
    size_t i = 0;
    if (i < tokens.size() && !tokens[i].empty() && !(tokens[i][0] >= '0' && tokens[i][0] <= '9'))
        ++i; // day name
    if (i + 3 >= tokens.size()) return std::nullopt;
    const auto day = ParseInt32(tokens[i]);
    std::string monthName = tokens[i + 1].substr(0, 3);
    for (char& c : monthName) c = LowerAscii(c);
    int month = 0;
    for (size_t m = 0; m < kMonths.size(); ++m)
        if (monthName == kMonths[m]) month = static_cast<int>(m) + 1;
    auto year = ParseInt32(tokens[i + 2]);
    if (!day || !month || !year || *day < 1 || *day > 31) return std::nullopt;
    if (*year < 50)
        *year += 2000;
    else if (*year < 1000)
        *year += 1900;
    if (*year > 9999) return std::nullopt;
    const std::string& clock = tokens[i + 3];
    int hour = 0, minute = 0, second = 0;
    if (std::sscanf(clock.c_str(), "%d:%d:%d", &hour, &minute, &second) < 2 || hour < 0 ||
        hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 60)
        return std::nullopt;
    int zoneMinutes = 0;
    if (i + 4 < tokens.size()) {
        const std::string& zone = tokens[i + 4];
        if ((zone[0] == '+' || zone[0] == '-') && zone.size() == 5) {
            if (const auto hhmm = ParseInt32(zone.substr(1))) {
                zoneMinutes = (*hhmm / 100) * 60 + *hhmm % 100;
                if (zone[0] == '-') zoneMinutes = -zoneMinutes;
            }
        } else {
            static constexpr std::array<std::pair<const char*, int>, 8> kZones = {{{"EST", -5},
                                                                                   {"EDT", -4},
                                                                                   {"CST", -6},
                                                                                   {"CDT", -5},
                                                                                   {"MST", -7},
                                                                                   {"MDT", -6},
                                                                                   {"PST", -8},
                                                                                   {"PDT", -7}}};
            for (const auto& [name, hours] : kZones)
                if (EqualsNoCase(zone, name)) zoneMinutes = hours * 60;
        }
    }
    namespace chr = std::chrono;
    const chr::year_month_day date{chr::year(*year), chr::month(static_cast<unsigned>(month)),
                                   chr::day(static_cast<unsigned>(*day))};
    if (!date.ok()) return std::nullopt;
    const chr::sys_seconds utc = chr::sys_days(date) + chr::hours(hour) + chr::minutes(minute) +
                                 chr::seconds(second) - chr::minutes(zoneMinutes);
    const std::time_t t = static_cast<std::time_t>(utc.time_since_epoch().count());
    std::tm local{};
    if (!::localtime_r(&t, &local)) return std::nullopt;
    return chr::year_month_day{chr::year(local.tm_year + 1900),
                               chr::month(static_cast<unsigned>(local.tm_mon + 1)),
                               chr::day(static_cast<unsigned>(local.tm_mday))};
}

TMailHeader ParseMailHeader(std::string_view header) {
    const size_t blank = header.find("\n\r\n");
    const size_t blankLf = header.find("\n\n");
    header = header.substr(0, std::min(blank, blankLf));
    const std::string unfolded = Unfold(header);
    std::string date, from, subject, charset;
    size_t start = 0;
    while (start < unfolded.size()) {
        size_t end = unfolded.find('\n', start);
        if (end == std::string::npos) end = unfolded.size();
        const std::string_view line = std::string_view(unfolded).substr(start, end - start);
        start = end + 1;
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        const std::string_view name = Trim(line.substr(0, colon));
        const std::string_view value = Trim(line.substr(colon + 1));
        if (EqualsNoCase(name, "date") && date.empty())
            date = value;
        else if (EqualsNoCase(name, "from") && from.empty())
            from = value;
        else if (EqualsNoCase(name, "subject") && subject.empty())
            subject = value;
        else if (EqualsNoCase(name, "content-type"))
            charset = CharsetOfContentType(value);
    }
    TMailHeader result;
    if (const auto day = MailDateToLocal(date)) result.Date = FormatShortDate(*day);
    result.From = DecodeHeaderText(from, charset);
    result.Subject = DecodeHeaderText(subject, charset);
    return result;
}

} // namespace orv
