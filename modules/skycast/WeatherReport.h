// The four fields of today's weather and the two answers they are read from: the weather
// export's text (fifth line "…|…|day picture|day temperature|night picture|night temperature")
// and the forecast service's JSON (hourly temperatures and WMO weather codes).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

struct TCity;

inline constexpr const char* kUnknownField = "?";

// Day picture, day temperature, night picture, night temperature.
struct TWeatherReport {
    std::string DayPicture = kUnknownField;
    std::string DayTemperature = kUnknownField;
    std::string NightPicture = kUnknownField;
    std::string NightTemperature = kUnknownField;
    bool operator==(const TWeatherReport&) const = default;
};

// The Russian phrase of a picture name ("MostlySunny.GIF" -> "преимущественно ясно"), in
// Windows-1251; empty for a name without one.
std::string ConditionPhrase(std::string_view picture);

// The fields of the export's fifth line in their order (at most four: day picture, day
// temperature, night picture, night temperature); fewer when the line has fewer, none when the
// answer has fewer than five lines.
std::vector<std::string> ExportFields(std::string_view answer);

// "<server>/weather/exports/<file>?cyid=<code>".
std::string ExportAddress(std::string_view server, int32_t cityCode);

// "<server>/v1/forecast?..." for the city's place: hourly temperature and weather code of
// today and tomorrow in the place's own time zone.
std::string ForecastAddress(std::string_view server, const TCity& city);

// Today's report from the forecast answer: day = 09:00-20:59 of the answer's first date,
// night = 21:00 of that date to 08:59 of the next. nullopt when the answer is not such JSON or
// either period has no hour with both values, and also, unread, when it nests deeper than
// kMaxForecastDepth.
inline constexpr int kMaxForecastDepth = 32;
std::optional<TWeatherReport> ForecastReport(std::string_view json);

// The picture name for a period's WMO weather codes: thunder, snow or rain when they fill at
// least half of the hours, their "chance" picture when fewer, else the cloud cover's average;
// "nt_" in front for the night.
std::string PictureOfWeatherCodes(const std::vector<int>& codes, bool night);

// "+15", "-3", "0"; "+15..+17" for a range with different ends.
std::string TemperatureText(int low, int high);

} // namespace orv
