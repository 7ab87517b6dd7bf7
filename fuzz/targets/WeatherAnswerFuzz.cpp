// What the weather services answer: the export's text lines and the forecast's JSON.
#include "fuzz/FuzzInput.h"
#include "modules/skycast/WeatherReport.h"

using namespace orv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view answer = fuzz::AsText(data, size);
    const auto fields = ExportFields(answer);
    FUZZ_CHECK(fields.size() <= 4);
    for (const auto& field : fields) ConditionPhrase(field);
    ForecastReport(answer);
    std::vector<int> codes(data, data + std::min<size_t>(size, 24));
    PictureOfWeatherCodes(codes, size % 2 == 1);
    return 0;
}
