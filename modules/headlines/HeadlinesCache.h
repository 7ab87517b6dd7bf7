// The cache files of the headlines: one title per line, Windows-1251, CR LF, in the modules'
// cache folder: "hard.cnt", "new_reviews.cnt", "reviews.cnt".
#pragma once

#include "modules/headlines/HeadlineLists.h"

namespace orv {

// Missing files give empty lists.
THeadlines ReadHeadlinesCache();

// Each file replaced atomically; false when one could not be written.
bool WriteHeadlinesCache(const THeadlines& lists);

} // namespace orv
