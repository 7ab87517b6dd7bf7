// The settings page's requests: the server side only checks the shape of the body; the program
// (TWebHost) checks the values, writes and applies them.
#include "appcore/web/WebApi.h"
#include "appcore/web/WebJson.h"

namespace orv {

THttpResponse SettingsRequest(TWebHost& host, const THttpRequest& request) {
    if (request.Method == "GET") return JsonAnswer(200, host.SettingsState());
    if (request.Method != "PUT") return JsonError(405, "method not allowed");
    const nlohmann::json body = ParseJsonObject(request.Body);
    if (body.is_discarded()) return JsonError(400, "the body is not a JSON object");
    const TWebHost::TAnswer answer = host.PutSettings(body);
    if (answer.Status != 200) return JsonError(answer.Status, answer.Error);
    return JsonAnswer(200, nlohmann::json::object());
}

} // namespace orv
