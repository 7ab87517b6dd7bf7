// What a news site answers: a feed (RSS 2.0, RSS 1.0, Atom) or its front page.
#include "fuzz/FuzzInput.h"
#include "modules/headlines/HeadlineLists.h"

using namespace orv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view body = fuzz::AsText(data, size);
    if (const auto titles = FeedTitles(body)) {
        for (const auto& title : *titles) FUZZ_CHECK(title.size() <= body.size());
    }
    PageHeadlines(body);
    return 0;
}
