// The check of a job file for people who write jobs by hand: tags that no module that is on
// declares, tag parameters the display ignores or cannot use, and screen keys whose value is no
// number.
#pragma once

#include "host/CheckFinding.h"
#include "base/IniFile.h"

#include <vector>

namespace orv {

class TTagCatalogue;

// Findings in line order. catalogue binds the tag names as the display thread does.
std::vector<TCheckFinding> CheckJob(const TIniDocument& job, const TTagCatalogue& catalogue);

} // namespace orv
