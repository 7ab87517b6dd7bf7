#include "modules/skycast/WeatherReport.h"

#include "base/Cp1251.h"
#include "base/TextUtil.h"
#include "modules/skycast/SkycastCities.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace orv {

namespace {

struct TPhrase {
    const char* Picture;
    const char* Text;
};

constexpr std::array<TPhrase, 24> kPhrases = {{
    {"chancerain.gif", "возможен дождь"_cp1251},
    {"chancesnow.gif", "возможен снег"_cp1251},
    {"chancetstorms.gif", "возможна гроза"_cp1251},
    {"cloudy.gif", "облачно"_cp1251},
    {"mostlycloudy.gif", "преимущественно облачно"_cp1251},
    {"mostlysunny.gif", "преимущественно ясно"_cp1251},
    {"partlycloudy.gif", "переменная облачность"_cp1251},
    {"partlysunny.gif", "с прояснениями"_cp1251},
    {"rain.gif", "дождь"_cp1251},
    {"snow.gif", "снег"_cp1251},
    {"sunny.gif", "ясно"_cp1251},
    {"tstorms.gif", "гроза"_cp1251},
    {"nt_chancerain.gif", "ночью возможен дождь"_cp1251},
    {"nt_chancesnow.gif", "ночью возможен снег"_cp1251},
    {"nt_chancetstorms.gif", "ночью возможна гроза"_cp1251},
    {"nt_cloudy.gif", "ночью облачно"_cp1251},
    {"nt_mostlycloudy.gif", "ночью преимущественно облачно"_cp1251},
    {"nt_mostlysunny.gif", "ночью преимущественно ясно"_cp1251},
    {"nt_partlycloudy.gif", "ночью переменная облачность"_cp1251},
    {"nt_partlysunny.gif", "ночью с прояснениями"_cp1251},
    {"nt_rain.gif", "ночью дождь"_cp1251},
    {"nt_snow.gif", "ночью снег"_cp1251},
    {"nt_sunny.gif", "ночью ясно"_cp1251},
    {"nt_tstorms.gif", "ночью гроза"_cp1251},
}};

constexpr const char* kExportFile = "informer.txt";

std::string_view WithoutTrailingSlash(std::string_view server) {
    while (!server.empty() && server.back() == '/') server.remove_suffix(1);
    return server;
}

enum class TSky { Clear, MainlyClear, Partly, Overcast, Rain, Snow, Thunder };

TSky SkyOfCode(int code) {
    if (code <= 0) return TSky::Clear;
    if (code == 1) return TSky::MainlyClear;
    if (code == 2) return TSky::Partly;
    if (code == 3 || code == 45 || code == 48) return TSky::Overcast;
    if ((code >= 71 && code <= 77) || code == 85 || code == 86) return TSky::Snow;
    if (code >= 95) return TSky::Thunder;
    if ((code >= 51 && code <= 67) || (code >= 80 && code <= 82)) return TSky::Rain;
    return TSky::Overcast;
}

} // namespace

std::string ConditionPhrase(std::string_view picture) {
    std::string lower(picture);
    for (char& c : lower) c = LowerAscii(c);
    for (const TPhrase& phrase : kPhrases)
        if (lower == phrase.Picture) return phrase.Text;
    return {};
}

std::vector<std::string> ExportFields(std::string_view answer) {
    // Lines end with LF, CR LF or CR.
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start <= answer.size() && lines.size() < 5) {
        size_t end = answer.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            if (start < answer.size()) lines.push_back(answer.substr(start));
            break;
        }
        lines.push_back(answer.substr(start, end - start));
        start = end +
                (answer[end] == '\r' && end + 1 < answer.size() && answer[end + 1] == '\n' ? 2 : 1);
    }
    if (lines.size() < 5) return {};
    std::vector<std::string> parts;
    std::string_view line = lines[4];
    for (size_t pos = 0;;) {
        const size_t bar = line.find('|', pos);
        parts.emplace_back(line.substr(pos, bar == std::string_view::npos ? bar : bar - pos));
        if (bar == std::string_view::npos) break;
        pos = bar + 1;
    }
    std::vector<std::string> fields;
    for (size_t i = 2; i < parts.size() && fields.size() < 4; ++i) fields.push_back(parts[i]);
    return fields;
}

std::string ExportAddress(std::string_view server, int32_t cityCode) {
    return std::string(WithoutTrailingSlash(server)) + "/weather/exports/" + kExportFile +
           "?cyid=" + std::to_string(cityCode);
}

std::string ForecastAddress(std::string_view server, const TCity& city) {
    char place[96];
    std::snprintf(place, sizeof(place), "latitude=%.2f&longitude=%.2f", city.Latitude,
                  city.Longitude);
    return std::string(WithoutTrailingSlash(server)) + "/v1/forecast?" + place +
           "&hourly=temperature_2m,weather_code&forecast_days=2&timezone=auto";
}

std::string PictureOfWeatherCodes(const std::vector<int>& codes, bool night) {
    std::string picture = night ? "nt_" : "";
    if (codes.empty()) return picture + "cloudy.gif";
    int count[7] = {};
    double cover = 0;
    for (int code : codes) {
        const TSky sky = SkyOfCode(code);
        ++count[static_cast<int>(sky)];
        cover += std::min(static_cast<int>(sky), static_cast<int>(TSky::Overcast));
    }
    const size_t hours = codes.size();
    const auto wet = [&](TSky sky, const char* name) -> std::optional<std::string> {
        const int n = count[static_cast<int>(sky)];
        if (n == 0) return std::nullopt;
        return std::string(2 * static_cast<size_t>(n) >= hours ? "" : "chance") + name + ".gif";
    };
    if (auto p = wet(TSky::Thunder, "tstorms")) return picture + *p;
    if (auto p = wet(TSky::Snow, "snow")) return picture + *p;
    if (auto p = wet(TSky::Rain, "rain")) return picture + *p;
    const double average = cover / static_cast<double>(hours);
    const char* name = average < 0.5    ? "sunny.gif"
                       : average < 1.5  ? "mostlysunny.gif"
                       : average < 2.25 ? "partlycloudy.gif"
                       : average < 2.75 ? "mostlycloudy.gif"
                                        : "cloudy.gif";
    return picture + name;
}

std::string TemperatureText(int low, int high) {
    const auto one = [](int t) { return t > 0 ? "+" + std::to_string(t) : std::to_string(t); };
    if (low == high) return one(low);
    return one(low) + ".." + one(high);
}

namespace {

// Whether the arrays and objects of json nest deeper than maxDepth (brackets inside strings do
// not count). The forecast is three levels deep; a parser given a million levels takes
// gigabytes.
bool NestsDeeperThan(std::string_view json, int maxDepth) {
    int depth = 0;
    bool inString = false, escaped = false;
    for (const char c : json) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > maxDepth) return true;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return false;
}

} // namespace

std::optional<TWeatherReport> ForecastReport(std::string_view json) {
    if (NestsDeeperThan(json, kMaxForecastDepth)) return std::nullopt;
    const nlohmann::json answer = nlohmann::json::parse(json, nullptr, false);
    if (answer.is_discarded() || !answer.is_object()) return std::nullopt;
    const auto hourly = answer.find("hourly");
    if (hourly == answer.end() || !hourly->is_object()) return std::nullopt;
    const auto times = hourly->find("time");
    const auto temps = hourly->find("temperature_2m");
    const auto codes = hourly->find("weather_code");
    if (times == hourly->end() || temps == hourly->end() || codes == hourly->end() ||
        !times->is_array() || !temps->is_array() || !codes->is_array())
        return std::nullopt;

    struct TPeriod {
        std::vector<int> codes;
        int low = 0, high = 0;
        bool any = false;
        void Add(double temperature, int code) {
            const int t = static_cast<int>(std::lround(temperature));
            low = any ? std::min(low, t) : t;
            high = any ? std::max(high, t) : t;
            any = true;
            codes.push_back(code);
        }
    } day, night;

    std::string firstDate, secondDate;
    const size_t n = std::min({times->size(), temps->size(), codes->size()});
    for (size_t i = 0; i < n; ++i) {
        const auto& time = (*times)[i];
        const auto& temperature = (*temps)[i];
        const auto& code = (*codes)[i];
        // "2026-03-05T14:00"; missing values are null.
        if (!time.is_string() || !temperature.is_number() || !code.is_number()) continue;
        const std::string& stamp = time.get_ref<const std::string&>();
        if (stamp.size() < 13 || stamp[10] != 'T') continue;
        const auto hour = ParseInt32(std::string_view(stamp).substr(11, 2));
        if (!hour || *hour < 0 || *hour > 23) continue;
        const std::string date = stamp.substr(0, 10);
        if (firstDate.empty()) firstDate = date;
        if (date != firstDate && secondDate.empty()) secondDate = date;
        const bool today = date == firstDate;
        const double value = temperature.get<double>();
        const double wmo = code.get<double>();
        if (!std::isfinite(value) || std::fabs(value) > 200) continue;
        if (!std::isfinite(wmo) || wmo < 0 || wmo > 1000) continue;
        if (today && *hour >= 9 && *hour <= 20)
            day.Add(value, static_cast<int>(wmo));
        else if ((today && *hour >= 21) || (date == secondDate && *hour <= 8))
            night.Add(value, static_cast<int>(wmo));
    }
    if (!day.any || !night.any) return std::nullopt;
    TWeatherReport report;
    report.DayPicture = PictureOfWeatherCodes(day.codes, false);
    report.DayTemperature = TemperatureText(day.low, day.high);
    report.NightPicture = PictureOfWeatherCodes(night.codes, true);
    report.NightTemperature = TemperatureText(night.low, night.low);
    return report;
}

} // namespace orv
