// diskfacts: the drives, numbered from 0, with their mount point, size, free and used space,
// label and file system; $driveEnum tells the host how many there are.
//
// Drive n is the n-th drive of /proc/self/mounts in its order: every mounted local or network
// file system, the root file system always; not the kernel's pseudo file systems (proc, sysfs,
// devtmpfs, devpts, cgroup, mqueue, ...), overlay and squashfs layers, the desktop's FUSE
// helpers, nor the tmpfs of /run and /dev (MountTable.h). So $driveEnum and the numbers agree.
// Where each tag comes from:
//   $driveEnum              "#enum" and the number of drives
//   $driveLetter            the mount point ("/", "/home")
//   $driveSize, $driveFree,
//   $driveUsed, $%driveFree,
//   $%driveUsed             statvfs of the mount point: f_blocks and f_bfree (all free blocks,
//                           not the caller's quota). A network or FUSE file system is asked in
//                           a helper thread for at most 200 ms; one that does not answer shows
//                           as an empty drive until its query returns (VolumeSpace.h).
//   $driveLabel             the link of the mount's device in /dev/disk/by-label
//   $driveFS                the type in the mount table ("ext4")
// Label and type longer than 10 characters show as an empty text. The mount table is read
// again only when the kernel reports a change. Everything is read under a settable root
// (SystemTree.h); statvfs can be replaced by a test (DiskfactsTesting.h).
#include "modules/diskfacts/DiskfactsTesting.h"

#include "abi/CommandWords.h"
#include "abi/ConstUnit.h"
#include "base/Cp1251.h"
#include "base/RegionalSettings.h"
#include "base/TextUtil.h"
#include "modules/common/ModuleResult.h"
#include "modules/common/DecimalFormat.h"
#include "modules/common/NumberFormat.h"
#include "modules/common/ModuleCallbacks.h"
#include "modules/common/PluginDescriptor.h"
#include "modules/common/QuantityFormat.h"
#include "modules/common/SystemTree.h"
#include "modules/common/UnitWords.h"
#include "modules/diskfacts/MountTable.h"
#include "modules/diskfacts/VolumeLabels.h"

#include <algorithm>
#include <optional>

using namespace orv;

namespace {

enum TDiskfactsTag : int16_t {
    tagDriveEnum,
    tagDriveLetter,
    tagDriveSize,
    tagDriveFree,
    tagDriveUsed,
    tagPercentDriveFree,
    tagPercentDriveUsed,
    tagDriveLabel,
    tagDriveFS,
    kDiskfactsTagCount
};

constexpr std::chrono::milliseconds kQueryTimeLimit{200};
// The label and file-system texts had room for 10 characters.
constexpr size_t kMaxNameLength = 10;

class TDiskfacts {
public:
    TDiskfacts() { SetRoot(nullptr); }

    const char* GetValue(int16_t index, const char* param);
    void LoadSettings();
    void SetRoot(const char* root) {
        tree_.SetRoot(root);
        drives_.Open(tree_);
        labels_.Open(tree_);
    }
    void SetSpaceQuery(TSpaceQueryFunc query) { space_.SetQuery(query); }

private:
    std::string DriveText(int16_t index, const TMount* drive);
    std::string Amount(uint64_t bytes) const {
        return FormatBytes(bytes, words_, decimalSeparator_);
    }
    static std::string ShortName(const std::string& utf8) {
        std::string text = Utf8ToCp1251(utf8);
        return text.size() <= kMaxNameLength ? text : std::string();
    }

    TSystemTree tree_;
    TDriveList drives_;
    TVolumeLabels labels_;
    TVolumeSpaceQuery space_{kQueryTimeLimit};
    TUnitWords words_;
    std::string decimalSeparator_ = ".";
    TModuleResult result_;
};

TDiskfacts gDiskfacts;

const char* TDiskfacts::GetValue(int16_t index, const char* param) {
    if (index == kClearResultIndex) return result_.Clear();
    if (index < 0 || index >= kDiskfactsTagCount) return result_.Keep();
    const std::vector<TMount>& drives = drives_.Drives();
    if (index == tagDriveEnum)
        return result_.Set(EnumAnswer(static_cast<long long>(drives.size())));

    // The drive number; only its low 8 bits count. Not a number: an empty text.
    const std::optional<int32_t> number = param ? ParseInt32(param) : std::optional<int32_t>(0);
    if (!number) return result_.Clear();
    const auto n = static_cast<size_t>(*number & 0xFF);
    return result_.Set(DriveText(index, n < drives.size() ? &drives[n] : nullptr));
}

// A drive that is not there has no mount point, label or type and no space.
std::string TDiskfacts::DriveText(int16_t index, const TMount* drive) {
    switch (index) {
    case tagDriveLetter: return drive ? Utf8ToCp1251(drive->MountPoint) : std::string();
    case tagDriveLabel: return drive ? ShortName(labels_.Label(drive->Source)) : std::string();
    case tagDriveFS: return drive ? ShortName(drive->Type) : std::string();
    default: break;
    }
    TVolumeSpace space;
    if (drive) space = space_.Ask(tree_.Path(drive->MountPoint), drive->MayHang).value_or(space);
    space.FreeBytes = std::min(space.FreeBytes, space.TotalBytes);
    const uint64_t used = space.TotalBytes - space.FreeBytes;
    switch (index) {
    case tagDriveSize: return Amount(space.TotalBytes);
    case tagDriveFree: return Amount(space.FreeBytes);
    case tagDriveUsed: return Amount(used);
    case tagPercentDriveFree:
        return FormatPercent(space.FreeBytes, space.TotalBytes, decimalSeparator_);
    default: return FormatPercent(used, space.TotalBytes, decimalSeparator_);
    }
}

void TDiskfacts::LoadSettings() {
    words_.Read({TUnitWord::Bit, TUnitWord::Byte, TUnitWord::Kilo, TUnitWord::Mega, TUnitWord::Giga,
                 TUnitWord::PerSec, TUnitWord::Hertz});
    decimalSeparator_ = UserDecimalSeparator();
}

#define DRIVE_NUMBERS "Нумерация дисков: С = 0, D = 1 и т.д."

constinit TPluginDescriptor gDescriptor = MakePluginDescriptor(
    {
        .Name = "Disks info",
        .Description = "Информация о дисковой подсистеме компьютера\r\rOrvanta3 team"_cp1251,
        .Id = 4,
        .GroupCaption = "Дисковая подсистема"_cp1251,
        .GroupHint = "Информация об установленных дисках"_cp1251,
        .GetValue = ModuleGetValue<gDiskfacts>,
        .LoadSettings = ModuleLoadSettings<gDiskfacts>,
    },
    {
        {.Name = "$driveEnum",
         .Caption = "перечисление"_cp1251,
         .Example = "$driveEnum$",
         .Hint = "Перечислить диски\r\rДля того, чтобы показать последовательно данные обо всех "
                 "дисках, установленных в системе, вставьте в начало 1-й строки экрана этот тег, "
                 "а частоту обновления всех тегов установите \"высокая\""_cp1251},
        {.Name = "$driveLetter",
         .Caption = "буква диска"_cp1251,
         .Example = "$driveLetter[0]$",
         .Hint = "Показать букву диска\r\rМожет использоваться для перечисления дисков"_cp1251},
        {.Name = "$driveSize",
         .Caption = "обьем диска"_cp1251,
         .Example = "$driveSize[0]$",
         .Hint = "Показать обьем диска\r\r" DRIVE_NUMBERS "; объем будет сокращен с "
                 "использованием сокращений, установленных в настройках программы"_cp1251},
        {.Name = "$driveFree",
         .Caption = "свободно на диске"_cp1251,
         .Example = "$driveFree[0]$",
         .Hint = "Показать обьем доступного места на диске\r\r" DRIVE_NUMBERS "; объем будет "
                 "сокращен с использованием сокращений, установленных в настройках "
                 "программы"_cp1251},
        {.Name = "$driveUsed",
         .Caption = "занято на диске"_cp1251,
         .Example = "$driveUsed[0]$",
         .Hint = "Показать обьем использованного места на диске\r\r" DRIVE_NUMBERS "; объем "
                 "будет сокращен с использованием сокращений, установленных в настройках "
                 "программы"_cp1251},
        {.Name = "$%driveFree",
         .Caption = "свободно на диске в %"_cp1251,
         .Example = "$%driveFree[0]$",
         .Hint = "Показать часть доступного места на диске\r\r" DRIVE_NUMBERS "; размер "
                 "свободного пространства будет указан в % (можно использовать для вывода в "
                 "виде полосы прогресса)"_cp1251},
        {.Name = "$%driveUsed",
         .Caption = "занято на диске в %"_cp1251,
         .Example = "$%driveUsed[0]$",
         .Hint = "Показать часть использованного места на диске\r\r" DRIVE_NUMBERS "; размер "
                 "использованного пространства будет указан в % (можно использовать для "
                 "вывода в виде полосы прогресса)"_cp1251},
        {.Name = "$driveLabel",
         .Caption = "метка диска"_cp1251,
         .Example = "$driveLabel[0]$",
         .Hint = "Показать метку диска\r\r" DRIVE_NUMBERS ""_cp1251},
        {.Name = "$driveFS",
         .Caption = "файловая система"_cp1251,
         .Example = "$driveFS[0]$",
         .Hint = "Показать тип файловой системы диска\r\r" DRIVE_NUMBERS ""_cp1251},
    });

#undef DRIVE_NUMBERS

} // namespace

ORVANTA3_EXPORT void* getPlugin() { return &gDescriptor; }

ORVANTA3_EXPORT void SetSystemRootForTesting(const char* root) { gDiskfacts.SetRoot(root); }

ORVANTA3_EXPORT void DiskfactsSetSpaceQueryForTesting(TSpaceQueryFunc query) {
    gDiskfacts.SetSpaceQuery(query);
}
