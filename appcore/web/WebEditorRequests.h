// The job editor's requests of the web page: texts, font, job files, the job, its preview and
// the tag catalogue. Route in WebApi.cpp hands them here once the session and token are checked.
#pragma once

#include "appcore/web/WebApi.h"

#include <optional>

namespace orv {

// The answer to an editor request; none for a path that is not one.
std::optional<THttpResponse> EditorRequest(const THttpRequest& request, TWebHost& host);

} // namespace orv
