// JSON answers and bodies of the web requests.
#pragma once

#include "appcore/web/WebApi.h"

#include <nlohmann/json.hpp>

#include <string>

namespace orv {

// An answer with body as its JSON text (bad UTF-8 replaced).
THttpResponse JsonAnswer(int status, const nlohmann::json& body);
// {"error": message}.
THttpResponse JsonError(int status, const std::string& message);
// The body as a JSON object nested at most 16 deep; a discarded value when it is none.
nlohmann::json ParseJsonObject(const std::string& body);

} // namespace orv
