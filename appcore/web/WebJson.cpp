#include "appcore/web/WebJson.h"

#include "base/JsonNesting.h"

namespace orv {

namespace {
constexpr int kMaxJsonDepth = 16;
} // namespace

THttpResponse JsonAnswer(int status, const nlohmann::json& body) {
    THttpResponse response;
    response.Status = status;
    response.Body = body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return response;
}

THttpResponse JsonError(int status, const std::string& message) {
    return JsonAnswer(status, nlohmann::json{{"error", message}});
}

nlohmann::json ParseJsonObject(const std::string& body) {
    const nlohmann::json discarded(nlohmann::json::value_t::discarded);
    if (!JsonNestingWithin(body, kMaxJsonDepth)) return discarded;
    nlohmann::json value = nlohmann::json::parse(body, nullptr, false);
    if (!value.is_object()) return discarded;
    return value;
}

} // namespace orv
