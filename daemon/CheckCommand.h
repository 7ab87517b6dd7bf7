// orvanta3d --check JOB: the settings file and a job checked without touching the panel.
#pragma once

#include <cstdio>
#include <string>

namespace orv {

// Writes each finding as "FILE:LINE: text" (UTF-8) to out: settings values that fall back to
// their defaults, modules marked active that cannot be loaded, then the job's unknown tags and
// unusable parameters. Returns 0 without findings, 1 with some, 2 when the job cannot be read
// (its reason in error).
int CheckJobAndSettings(const std::string& settingsPath, const std::string& jobPath, std::FILE* out,
                        std::string& error);

} // namespace orv
