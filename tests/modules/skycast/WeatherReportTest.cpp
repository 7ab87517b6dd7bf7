// The weather answers' parsers: the export line, the forecast JSON and its weather codes, with
// random and truncated input.
#include "base/Cp1251.h"
#include "modules/skycast/SkycastCities.h"
#include "modules/skycast/WeatherReport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <random>

using namespace orv;

TEST(WeatherReport, PhrasesAreFoundWhateverTheCase) {
    EXPECT_EQ(Cp1251ToUtf8(ConditionPhrase("NT_ChanceTStorms.GIF")), "ночью возможна гроза");
    EXPECT_EQ(ConditionPhrase("?"), "");
    EXPECT_EQ(ConditionPhrase("nt_clear.gif"), "");
}

TEST(WeatherReport, ExportLinesEndInAnyStyle) {
    EXPECT_EQ(ExportFields("0\r1\r2\r3\rx|y|a|b|c|d|e"),
              (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(ExportFields("0\n1\n2\n3\nx|y|a|b|c|d"),
              (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(ExportFields("0\n1\n2\n3\n\n"), (std::vector<std::string>{}));
    EXPECT_EQ(ExportFields("0\n1\n2\n3\n"), (std::vector<std::string>{}));
}

TEST(WeatherReport, WeatherCodesChooseThePictureOfThePeriod) {
    EXPECT_EQ(PictureOfWeatherCodes({0, 0, 0, 1}, false), "sunny.gif");
    EXPECT_EQ(PictureOfWeatherCodes({3, 3, 45, 3}, true), "nt_cloudy.gif");
    EXPECT_EQ(PictureOfWeatherCodes({2, 2, 3, 1}, false), "partlycloudy.gif");
    EXPECT_EQ(PictureOfWeatherCodes({3, 3, 3, 1}, false), "mostlycloudy.gif");
    EXPECT_EQ(PictureOfWeatherCodes({61, 3, 3, 3}, false), "chancerain.gif");
    EXPECT_EQ(PictureOfWeatherCodes({61, 80, 3, 3}, true), "nt_rain.gif");
    EXPECT_EQ(PictureOfWeatherCodes({71, 61, 61, 3}, false), "chancesnow.gif")
        << "snow comes before rain";
    EXPECT_EQ(PictureOfWeatherCodes({95, 0, 0, 0}, false), "chancetstorms.gif");
    // Every picture the codes give has its phrase.
    for (int code : {0, 1, 2, 3, 45, 51, 61, 66, 71, 77, 80, 85, 95, 99, 7})
        for (bool night : {false, true})
            EXPECT_NE(ConditionPhrase(PictureOfWeatherCodes({code}, night)), "") << code;
}

TEST(WeatherReport, TemperaturesHaveTheirSign) {
    EXPECT_EQ(TemperatureText(15, 17), "+15..+17");
    EXPECT_EQ(TemperatureText(-3, 1), "-3..+1");
    EXPECT_EQ(TemperatureText(0, 0), "0");
    EXPECT_EQ(TemperatureText(8, 8), "+8");
}

TEST(WeatherReport, ForecastNeedsBothPeriods) {
    const std::string answer = orv::test::ReadText(std::string(ORVANTA3_SOURCE_DIR) +
                                                   "/tests/modules/skycast/forecast-kyiv.json");
    const auto report = ForecastReport(answer);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->DayPicture, "mostlysunny.gif");
    EXPECT_EQ(report->NightTemperature, "+8");

    // Only the first day's hours: no night.
    EXPECT_FALSE(ForecastReport(
        R"({"hourly":{"time":["2026-03-05T10:00"],"temperature_2m":[3],"weather_code":[0]}})"));
    EXPECT_FALSE(ForecastReport(R"({"hourly":{"time":"x"}})"));
    EXPECT_FALSE(ForecastReport("[1,2]"));
    EXPECT_FALSE(ForecastReport(""));

    // Nesting is refused before parsing; brackets inside strings do not count.
    EXPECT_FALSE(ForecastReport(std::string(100000, '[')));
    std::string deep = R"({"x":)" + std::string(kMaxForecastDepth, '[') +
                       std::string(kMaxForecastDepth, ']') + "}";
    EXPECT_FALSE(ForecastReport(deep.substr(0, 5) + "[" + deep.substr(5)));
    std::string quoted = answer;
    quoted.insert(
        1, R"("note":"[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[\"{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{{",)");
    EXPECT_TRUE(ForecastReport(quoted));
}

TEST(WeatherReport, ForecastAddressNamesTheCityPlace) {
    const TCity* kyiv = CityByCode(1);
    ASSERT_TRUE(kyiv);
    EXPECT_EQ(ForecastAddress("http://127.0.0.1:1/", *kyiv),
              "http://127.0.0.1:1/v1/forecast?latitude=50.45&longitude=30.52"
              "&hourly=temperature_2m,weather_code&forecast_days=2&timezone=auto");
    EXPECT_EQ(ExportAddress("http://h", 42), "http://h/weather/exports/informer.txt?cyid=42");
    // Every code of the menu is there once.
    for (const TCity& city : Cities()) EXPECT_EQ(CityByCode(city.Code), &city) << city.Name;
}

TEST(WeatherReportFuzz, RandomAndTruncatedAnswersNeverCrash) {
    const std::string forecast = orv::test::ReadText(std::string(ORVANTA3_SOURCE_DIR) +
                                                     "/tests/modules/skycast/forecast-kyiv.json");
    const std::string exportText = "a\r\nb\r\nc\r\nd\r\nx|y|sunny.gif|+1|nt_rain.gif|-1\r\n";
    std::mt19937 random(15);
    for (size_t cut = 0; cut <= forecast.size(); cut += 7)
        (void)ForecastReport(forecast.substr(0, cut));
    for (size_t cut = 0; cut <= exportText.size(); ++cut)
        (void)ExportFields(exportText.substr(0, cut));
    for (int round = 0; round < 3000; ++round) {
        std::string text = round % 2 ? forecast : exportText;
        const int edits = 1 + static_cast<int>(random() % 8);
        for (int e = 0; e < edits && !text.empty(); ++e)
            text[random() % text.size()] = static_cast<char>(random() % 256);
        (void)ForecastReport(text);
        for (const std::string& field : ExportFields(text)) (void)ConditionPhrase(field);
    }
}
