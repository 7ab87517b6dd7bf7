#include "modules/valuetap/TapDialogRecord.h"

#include "base/IniFile.h"
#include "base/TextUtil.h"
#include "modules/common/ModuleDialog.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace orv {

namespace {

// Bounds and defaults as reading the settings applies them: through the settings themselves.
TValueTapSettings Normalised(const TValueTapSettings& settings) {
    TIniDocument ini;
    WriteValueTapSettings(ini, settings);
    return ReadValueTapSettings(ini);
}

} // namespace

void ToDialogData(const TValueTapSettings& settings, TValueTapDialogData& data) {
    data.SourceCount = 0;
    for (const TSourceDef& source : settings.Sources) {
        if (data.SourceCount >= kMaxSources) break;
        TValueTapSourceData& d = data.Sources[data.SourceCount++];
        d.Number = source.Number;
        CopyText(d.Kind, SourceKindName(source.Kind));
        CopyText(d.Name, source.Name);
        CopyText(d.Target, source.Target);
        CopyText(d.Folder, source.Folder);
        CopyText(d.Pointer, source.Pointer);
        d.Line = source.Line;
        d.Field = source.Field;
        d.PeriodSec = source.PeriodSec;
        d.TimeoutSec = source.TimeoutSec;
        d.MaxBytes = source.MaxBytes;
        d.MaxAgeSec = source.MaxAgeSec;
    }
    const TBrokerSettings& b = settings.Broker;
    CopyText(data.Host, b.Host);
    data.Port = b.Port;
    data.Tls = b.Tls ? 1 : 0;
    CopyText(data.CaFile, b.CaFile);
    CopyText(data.User, b.User);
    CopyText(data.Password, b.Password);
    CopyText(data.PasswordFile, b.PasswordFile);
}

void FromDialogData(const TValueTapDialogData& data, TValueTapSettings& settings) {
    TValueTapSettings s;
    std::set<int32_t> numbers;
    const int32_t count = std::clamp(data.SourceCount, 0, kMaxSources);
    for (int32_t i = 0; i < count; ++i) {
        const TValueTapSourceData& d = data.Sources[i];
        const auto kind = SourceKindOf(std::string(d.Kind, strnlen(d.Kind, sizeof d.Kind)));
        const std::string target(Trim(std::string(d.Target, strnlen(d.Target, sizeof d.Target))));
        if (!kind || target.empty() || d.Number < 1 || d.Number > kMaxSources ||
            !numbers.insert(d.Number).second)
            continue;
        TSourceDef source;
        source.Number = d.Number;
        source.Kind = *kind;
        source.Name = std::string(Trim(std::string(d.Name, strnlen(d.Name, sizeof d.Name))));
        source.Target = target;
        source.Folder = std::string(d.Folder, strnlen(d.Folder, sizeof d.Folder));
        source.Pointer = std::string(d.Pointer, strnlen(d.Pointer, sizeof d.Pointer));
        source.Line = d.Line;
        source.Field = d.Field;
        source.PeriodSec = d.PeriodSec;
        source.TimeoutSec = d.TimeoutSec;
        source.MaxBytes = d.MaxBytes;
        source.MaxAgeSec = d.MaxAgeSec;
        s.Sources.push_back(std::move(source));
    }
    std::sort(s.Sources.begin(), s.Sources.end(),
              [](const TSourceDef& a, const TSourceDef& b) { return a.Number < b.Number; });
    TBrokerSettings& b = s.Broker;
    b.Host = std::string(data.Host, strnlen(data.Host, sizeof data.Host));
    b.Port = data.Port;
    b.Tls = data.Tls != 0;
    b.CaFile = std::string(data.CaFile, strnlen(data.CaFile, sizeof data.CaFile));
    b.User = std::string(data.User, strnlen(data.User, sizeof data.User));
    b.Password = std::string(data.Password, strnlen(data.Password, sizeof data.Password));
    b.PasswordFile =
        std::string(data.PasswordFile, strnlen(data.PasswordFile, sizeof data.PasswordFile));
    settings = Normalised(s);
}

} // namespace orv
