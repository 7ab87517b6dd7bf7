#include "appcore/remote/RemoteStatus.h"

#include "base/Cp1251.h"
#include "appcore/ApplicationCore.h"

namespace orv {

std::string RemoteStatusText(TApplicationCore& core) {
    std::string text = "job: " + (core.JobPath().empty() ? std::string("none") : core.JobPath());
    const int count = core.Job().Count();
    const int screen = core.Thread().CurrentScreen();
    text += "\nscreen: ";
    if (screen >= 0 && screen < count)
        text += std::to_string(screen) + " of " + std::to_string(count) + ", \"" +
                Cp1251ToUtf8(core.Job().GetName(screen)) + "\"";
    else
        text += "none";
    text += "\ndriver: ";
    const auto driver = core.Host().CurrentDriverIndex();
    if (!driver)
        text += "none";
    else
        text += core.Host().Module(*driver).FileName +
                (core.PanelActive() ? "" : " (not active: the panel shows nothing)");
    std::string modules;
    for (const TShortPluginInfo& entry : core.Host().Modules())
        if (entry.Active && entry.Kind() != TModuleKind::Driver)
            modules += (modules.empty() ? "" : ", ") + entry.FileName;
    text += "\nmodules: " + (modules.empty() ? std::string("none") : modules) + "\n";
    return text;
}

TRemoteFrame RemoteFrame(const TApplicationCore& core) {
    TRemoteFrame frame{core.Snapshot().Rows(), {}};
    for (const auto& glyph : core.Snapshot().CustomChars())
        frame.CustomChars.push_back(glyph ? std::string(glyph->begin(), glyph->end())
                                          : std::string());
    return frame;
}

} // namespace orv
