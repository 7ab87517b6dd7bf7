// hostfacts: the computer's name, the user's name and the operating system's version.
//
// Where each tag comes from:
//   $osComputer  the kernel's host name: /proc/sys/kernel/hostname, gethostname() without it
//   $osUser      the user database entry of the effective user (getpwuid_r), looked up once:
//                the program's user does not change while it runs, and a database on the
//                network could keep the display waiting
//   $osVersion   PRETTY_NAME of /etc/os-release (/usr/lib/os-release), then ": " and the
//                kernel release's three numbers from /proc/sys/kernel/osrelease (uname()
//                without it): «Debian GNU/Linux 12 (bookworm): 6.1.0»
// The files are read afresh on every call, under a settable root (SystemTree.h).
#include "abi/ConstUnit.h"
#include "base/Cp1251.h"
#include "modules/common/ModuleResult.h"
#include "modules/common/ModuleCallbacks.h"
#include "modules/common/PluginDescriptor.h"
#include "modules/common/SystemTree.h"
#include "modules/hostfacts/OsVersion.h"

#include <limits.h>
#include <optional>
#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>
#include <vector>

using namespace orv;

namespace {

enum THostfactsTag : int16_t { tagOsComputer, tagOsUser, tagOsVersion };

class THostfacts {
public:
    const char* GetValue(int16_t index);
    void SetRoot(const char* root) { tree_.SetRoot(root); }

private:
    std::string ComputerName() const;
    std::string UserName();
    std::string Version() const;

    TSystemTree tree_;
    std::optional<std::string> userName_;
    TModuleResult result_;
};

THostfacts gHostfacts;

const char* THostfacts::GetValue(int16_t index) {
    switch (index) {
    case tagOsComputer: return result_.Set(ComputerName());
    case tagOsUser: return result_.Set(UserName());
    case tagOsVersion: return result_.Set(Version());
    case kClearResultIndex: return result_.Clear();
    default: return result_.Keep();
    }
}

std::string THostfacts::ComputerName() const {
    if (auto name = tree_.ReadLine("/proc/sys/kernel/hostname")) return Utf8ToCp1251(*name);
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return {};
    return Utf8ToCp1251(name);
}

std::string THostfacts::UserName() {
    if (userName_) return *userName_;
    passwd entry{}, *found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return {}; // asked again next time
    userName_ = Utf8ToCp1251(found->pw_name);
    return *userName_;
}

std::string THostfacts::Version() const {
    std::optional<std::string> osRelease = tree_.Read("/etc/os-release");
    if (!osRelease) osRelease = tree_.Read("/usr/lib/os-release");
    std::optional<std::string> release = tree_.ReadLine("/proc/sys/kernel/osrelease");
    if (!release) {
        utsname names{};
        release = ::uname(&names) == 0 ? names.release : "";
    }
    return Utf8ToCp1251(OsVersionText(PrettyName(osRelease.value_or("")), *release));
}

constinit TPluginDescriptor gDescriptor = MakePluginDescriptor(
    {
        .Name = "OS information",
        .Description = "Информация об операционной системе\r\rOrvanta3 team"_cp1251,
        .Id = 21,
        .GroupCaption = "OS",
        .GetValue = ModuleGetValue<gHostfacts>,
    },
    {
        {.Name = "$osComputer", .Caption = "имя компьютера"_cp1251, .Example = "$osComputer$"},
        {.Name = "$osUser", .Caption = "имя пользователя"_cp1251, .Example = "$osUser$"},
        {.Name = "$osVersion", .Caption = "версия Windows"_cp1251, .Example = "$osVersion$"},
    });

} // namespace

ORVANTA3_EXPORT void* getPlugin() { return &gDescriptor; }

ORVANTA3_EXPORT void SetSystemRootForTesting(const char* root) { gHostfacts.SetRoot(root); }
