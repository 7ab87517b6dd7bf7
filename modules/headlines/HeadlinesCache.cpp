#include "modules/headlines/HeadlinesCache.h"

#include "base/AtomicFile.h"
#include "modules/common/CacheFolder.h"

namespace orv {

namespace {

constexpr std::array<const char*, kHeadlineListCount> kFiles = {"hard.cnt", "new_reviews.cnt",
                                                                "reviews.cnt"};

std::string PathOf(size_t list) { return ModuleCacheFolder() + "/" + kFiles[list]; }

} // namespace

THeadlines ReadHeadlinesCache() {
    THeadlines lists;
    for (size_t list = 0; list < kHeadlineListCount; ++list) {
        const std::string text = ReadWholeFile(PathOf(list)).value_or("");
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            std::string line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lists[list].push_back(std::move(line));
            start = end + 1;
        }
    }
    return lists;
}

bool WriteHeadlinesCache(const THeadlines& lists) {
    if (!EnsureModuleCacheFolder()) return false;
    bool ok = true;
    for (size_t list = 0; list < kHeadlineListCount; ++list) {
        std::string text;
        for (const std::string& title : lists[list]) text += title + "\r\n";
        ok = WriteFileAtomic(PathOf(list), text) && ok;
    }
    return ok;
}

} // namespace orv
