#include "daemon/CheckCommand.h"

#include "daemon/OfflineModules.h"
#include "engine/JobCheck.h"
#include "engine/JobUnit.h"
#include "host/modulehost/ModuleCatalogue.h"
#include "host/modulehost/SettingsCheck.h"

namespace orv {

namespace {

void Print(std::FILE* out, const std::string& file, const TCheckFinding& finding) {
    const std::string line = file + ":" +
                             (finding.Line > 0 ? std::to_string(finding.Line) + ":" : "") + " " +
                             finding.Text + "\n";
    std::fwrite(line.data(), 1, line.size(), out);
}

} // namespace

int CheckJobAndSettings(const std::string& settingsPath, const std::string& jobPath, std::FILE* out,
                        std::string& error) {
    const auto job = ReadJobDocument(jobPath, &error);
    if (!job) return 2;

    const TOfflineModules modules(settingsPath);
    const TModuleCatalogue catalogue(modules.Host());
    const auto settingsFindings = CheckSettings(TIniFile(settingsPath).Read(), modules.Host());
    auto jobFindings = CheckJob(*job, catalogue);
    if (job->Sections().empty())
        jobFindings.push_back({0, "the job has no screens"});
    else if (!AnyScreenShown(*job))
        jobFindings.push_back({0, "no screen has Show=1: the job shows nothing"});

    for (const TCheckFinding& finding : settingsFindings) Print(out, settingsPath, finding);
    for (const TCheckFinding& finding : jobFindings) Print(out, jobPath, finding);
    std::fflush(out);
    return settingsFindings.empty() && jobFindings.empty() ? 0 : 1;
}

} // namespace orv
