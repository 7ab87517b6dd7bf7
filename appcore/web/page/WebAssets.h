// The web page's files, compiled into the web server library.
#pragma once

#include <string_view>

namespace orv {

struct TWebAsset {
    std::string_view ContentType;
    std::string_view Body;
};

// nullptr when no asset has that path ("/" is "index.html").
const TWebAsset* FindWebAsset(std::string_view path);

} // namespace orv
