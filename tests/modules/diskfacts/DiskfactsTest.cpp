// diskfacts as the host sees it: the built library, its descriptor, and its answers for a fake
// mount table, fake labels and a fake statvfs; then against the real machine.
#include "base/Cp1251.h"
#include "base/TextUtil.h"
#include "modules/diskfacts/DiskfactsTesting.h"
#include "tests/support/ModuleOnFakeTree.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

using namespace orv;
using orv::test::TBuiltModule;
using orv::test::TModuleOnFakeTree;

namespace {

enum : int32_t {
    tagDriveEnum,
    tagDriveLetter,
    tagDriveSize,
    tagDriveFree,
    tagDriveUsed,
    tagPercentDriveFree,
    tagPercentDriveUsed,
    tagDriveLabel,
    tagDriveFS
};

// The fake statvfs: sizes by mount point below the fake root; "/mnt/nfs" hangs while
// gNfsDead is set.
std::string gRoot;
std::map<std::string, std::pair<uint64_t, uint64_t>> gSpace;
std::mutex gNfsLock;
std::condition_variable gNfsRevived;
bool gNfsDead = false;

bool FakeSpace(const char* path, uint64_t* total, uint64_t* free) {
    const std::string mountPoint = std::string(path).substr(gRoot.size());
    if (mountPoint == "/mnt/nfs") {
        std::unique_lock hold(gNfsLock);
        gNfsRevived.wait(hold, [] { return !gNfsDead; });
    }
    const auto found = gSpace.find(mountPoint);
    if (found == gSpace.end()) return false;
    *total = found->second.first;
    *free = found->second.second;
    return true;
}

void SetNfsDead(bool dead) {
    std::lock_guard hold(gNfsLock);
    gNfsDead = dead;
    gNfsRevived.notify_all();
}

constexpr const char* kMounts = "sysfs /sys sysfs rw,nosuid 0 0\n"
                                "proc /proc proc rw 0 0\n"
                                "udev /dev devtmpfs rw 0 0\n"
                                "tmpfs /run tmpfs rw 0 0\n"
                                "/dev/sda1 / ext4 rw,relatime 0 0\n"
                                "/dev/sda2 /home\\040space ext4 rw 0 0\n"
                                "tmpfs /run/user/1000 tmpfs rw 0 0\n"
                                "/dev/sdb1 /run/media/u/STICK vfat rw 0 0\n"
                                "tmpfs /dev/shm tmpfs rw 0 0\n"
                                "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
                                "tmpfs /tmp tmpfs rw 0 0\n"
                                "server:/export /mnt/nfs nfs4 rw 0 0\n"
                                "/dev/sda1 /etc/hosts ext4 rw 0 0\n"
                                "/dev/loop0 /snap/core/1 squashfs ro 0 0\n"
                                "overlay /var/lib/docker/overlay2/x/merged overlay rw 0 0\n"
                                "gvfsd-fuse /run/user/1000/gvfs fuse.gvfsd-fuse rw 0 0\n"
                                "me@host:/ /mnt/ssh fuse.sshfs rw 0 0\n"
                                "rclone: /mnt/cloud fuse.rclone rw 0 0\n"
                                "/dev/sdc1 /tmp tmpfs rw 0 0\n";

class Diskfacts : public ::testing::Test, public TModuleOnFakeTree {
protected:
    Diskfacts() : TModuleOnFakeTree("diskfacts.so") {}
    void SetUp() override {
        ASSERT_TRUE(module.Loaded());
        setSpace = reinterpret_cast<TDiskfactsSetSpaceQueryFunc>(
            module.Library().Symbol(kDiskfactsSetSpaceQueryExport));
        ASSERT_TRUE(setSpace);
        setSpace(FakeSpace);
        gRoot = tree.Root();
        gSpace = {{"/", {40000000000, 10000000000}},
                  {"/home space", {1024, 1024}},
                  {"/mnt/nfs", {1073741824 + 1, 0}}};
        LoadSettings();

        tree.Write("/proc/self/mounts", kMounts);
        tree.Write("/etc/hosts", "127.0.0.1 localhost\n");
        tree.Write("/dev/sda1", "");
        tree.Write("/dev/sda2", "");
        tree.Write("/dev/sdb1", "");
        Label("root", "/dev/sda1");
        Label("My\\x20Disk", "/dev/sda2");
        Label("ElevenChars", "/dev/sdb1");
    }
    void TearDown() override {
        SetNfsDead(false);
        if (setSpace) setSpace(nullptr);
    }
    void Label(const std::string& name, const std::string& device) {
        tree.Link("/dev/disk/by-label/" + name, device);
    }

    TDiskfactsSetSpaceQueryFunc setSpace = nullptr;
};

} // namespace

TEST_F(Diskfacts, DescriptorListsNineTags) {
    const TPluginDescriptor& d = module.Descriptor();
    EXPECT_STREQ(d.Name, "Disks info");
    EXPECT_EQ(
        Cp1251ToUtf8(d.Description).rfind("Информация о дисковой подсистеме компьютера\r\r", 0),
        0u);
    EXPECT_EQ(d.Id, 4);
    EXPECT_EQ(d.TagCount, 9);
    EXPECT_EQ(Cp1251ToUtf8(d.GroupCaption), "Дисковая подсистема");
    EXPECT_EQ(Cp1251ToUtf8(d.TagHints[0]), "Информация об установленных дисках");
    EXPECT_EQ(TBuiltModule::Texts(d.TagNames),
              TBuiltModule::Sixteen({"$driveEnum", "$driveLetter", "$driveSize", "$driveFree",
                                     "$driveUsed", "$%driveFree", "$%driveUsed", "$driveLabel",
                                     "$driveFS"}));
    EXPECT_EQ(
        TBuiltModule::Texts(d.TagCaptions),
        TBuiltModule::Sixteen({"перечисление", "буква диска", "обьем диска", "свободно на диске",
                               "занято на диске", "свободно на диске в %", "занято на диске в %",
                               "метка диска", "файловая система"}));
    EXPECT_EQ(TBuiltModule::Texts(d.TagExamples),
              TBuiltModule::Sixteen({"$driveEnum$", "$driveLetter[0]$", "$driveSize[0]$",
                                     "$driveFree[0]$", "$driveUsed[0]$", "$%driveFree[0]$",
                                     "$%driveUsed[0]$", "$driveLabel[0]$", "$driveFS[0]$"}));
    const std::vector<std::string> hints = TBuiltModule::Texts(d.TagHints);
    EXPECT_EQ(hints[7], "Показать метку диска\r\rНумерация дисков: С = 0, D = 1 и т.д.");
    EXPECT_EQ(hints[3], "Показать обьем доступного места на диске\r\rНумерация дисков: С = 0, "
                        "D = 1 и т.д.; объем будет сокращен с использованием сокращений, "
                        "установленных в настройках программы");
    for (int k = 0; k < 9; ++k) EXPECT_NE(hints[k].find("\r\r"), std::string::npos) << k;
    EXPECT_EQ(hints[9], "");
    EXPECT_TRUE(d.GetValue && d.LoadSettings);
    EXPECT_FALSE(d.Configure || d.Finalize);
}

TEST_F(Diskfacts, DrivesAreTheRealFileSystemsInMountTableOrder) {
    EXPECT_EQ(Value(tagDriveEnum, "0"), "#enum7");
    const char* mountPoints[] = {
        "/", "/home space", "/run/media/u/STICK", "/mnt/nfs", "/mnt/ssh", "/mnt/cloud", "/tmp"};
    for (int n = 0; n < 7; ++n)
        EXPECT_EQ(Value(tagDriveLetter, std::to_string(n).c_str()), mountPoints[n]) << n;
    EXPECT_EQ(Value(tagDriveLetter, "7"), "") << "no eighth drive";
    EXPECT_EQ(Value(tagDriveFS, "6"), "tmpfs") << "the visible, last mount of /tmp";
    EXPECT_EQ(Value(tagDriveFS, "1"), "ext4");
    EXPECT_EQ(Value(tagDriveFS, "4"), "fuse.sshfs") << "ten characters fit";
    EXPECT_EQ(Value(tagDriveFS, "5"), "") << "eleven do not";

    tree.Write("/proc/self/mounts", "rootfs / rootfs rw 0 0\n");
    EXPECT_EQ(Value(tagDriveEnum, "0"), "#enum1") << "the table is read again";
    EXPECT_EQ(Value(tagDriveFS, "0"), "rootfs") << "the root counts whatever its type";
}

TEST_F(Diskfacts, SizesOfAFortyGigabyteVolumeWithTenFree) {
    EXPECT_EQ(Value(tagDriveSize, "0"), "37.25 Gb");
    EXPECT_EQ(Value(tagDriveFree, "0"), "9.31 Gb");
    EXPECT_EQ(Value(tagDriveUsed, "0"), "27.94 Gb");
    EXPECT_EQ(Value(tagPercentDriveFree, "0"), "25.00");
    EXPECT_EQ(Value(tagPercentDriveUsed, "0"), "75.00");
    EXPECT_EQ(Value(tagDriveSize, "256"), "37.25 Gb") << "low 8 bits of the number";
    EXPECT_EQ(Value(tagDriveSize, " 0 "), "37.25 Gb");

    EXPECT_EQ(Value(tagDriveSize, "1"), "1024 b");
    EXPECT_EQ(Value(tagPercentDriveFree, "1"), "100.00");
    EXPECT_EQ(Value(tagPercentDriveUsed, "1"), "0.00");
}

TEST_F(Diskfacts, AbsentDrivesAndBadNumbers) {
    for (const char* number : {"7", "-1", "-2", "255"}) {
        SCOPED_TRACE(number);
        EXPECT_EQ(Value(tagDriveSize, number), "0 b");
        EXPECT_EQ(Value(tagDriveUsed, number), "0 b");
        EXPECT_EQ(Value(tagPercentDriveFree, number), "0.00");
        EXPECT_EQ(Value(tagPercentDriveUsed, number), "0.00");
        EXPECT_EQ(Value(tagDriveLabel, number), "");
        EXPECT_EQ(Value(tagDriveFS, number), "");
    }
    EXPECT_EQ(Value(tagDriveSize, "2"), "0 b") << "a drive whose query fails: not ready";
    EXPECT_EQ(Value(tagPercentDriveUsed, "2"), "0.00");

    for (const char* notANumber : {"", "x", "1.5", "99999999999"}) {
        SCOPED_TRACE(notANumber);
        EXPECT_EQ(Value(tagDriveSize, notANumber), "");
        EXPECT_EQ(Value(tagDriveLetter, notANumber), "");
    }
    EXPECT_EQ(Value(tagDriveEnum, ""), "#enum7") << "the count needs no number";

    tree.Write("/proc/self/mounts", "");
    EXPECT_EQ(Value(tagDriveEnum, "0"), "#enum0");
    tree.Remove("/proc/self/mounts");
    EXPECT_EQ(Value(tagDriveEnum, "0"), "#enum0") << "no mount table";
}

TEST_F(Diskfacts, LabelsComeFromDevDiskByLabel) {
    EXPECT_EQ(Value(tagDriveLabel, "0"), "root");
    EXPECT_EQ(Value(tagDriveLabel, "1"), "My Disk") << "udev's \\x20 is a blank";
    EXPECT_EQ(Value(tagDriveLabel, "2"), "") << "eleven characters do not fit";
    EXPECT_EQ(Value(tagDriveLabel, "3"), "") << "a network mount has no device";

    tree.Remove("/dev/disk/by-label/root");
    Label("\\xd0\\x94\\xd0\\xb8\\xd1\\x81\\xd0\\xba", "/dev/sda1"); // "Диск" in UTF-8
    EXPECT_EQ(Cp1251ToUtf8(Value(tagDriveLabel, "0")), "Диск") << "a changed folder is read again";
}

TEST_F(Diskfacts, ADeadNetworkMountDoesNotHoldUpTheCaller) {
    SetNfsDead(true);
    EXPECT_EQ(Value(tagDriveSize, "3"), "0 b") << "after the time limit";
    EXPECT_EQ(Value(tagDriveFree, "3"), "0 b") << "at once: the first query has not come back";
    EXPECT_EQ(Value(tagDriveSize, "0"), "37.25 Gb") << "other drives answer";
    EXPECT_EQ(Value(tagDriveLetter, "3"), "/mnt/nfs");

    SetNfsDead(false);
    // The late answer is served once the helper thread has brought it.
    std::string size;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while ((size = Value(tagDriveSize, "3")) == "0 b" &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    EXPECT_EQ(size, "1.00 Gb");
    EXPECT_EQ(Value(tagPercentDriveUsed, "3"), "100.00") << "and the mount is asked again";

    // Hanging again, it shows its last answer instead of an empty drive.
    SetNfsDead(true);
    EXPECT_EQ(Value(tagDriveSize, "3"), "1.00 Gb");
    EXPECT_EQ(Value(tagDriveUsed, "3"), "1.00 Gb");
}

TEST_F(Diskfacts, UnitWordsAndTheDecimalSeparatorComeFromLoadSettings) {
    Settings(Utf8ToCp1251("[Shortcuts]\nGiga=Г\nByte=Б\n"));
    EXPECT_EQ(Value(tagDriveSize, "0"), "37.25 Gb");
    LoadSettings();
    EXPECT_EQ(Cp1251ToUtf8(Value(tagDriveSize, "0")), "37.25 ГБ");
}

TEST_F(Diskfacts, MinusOneClearsAndUnknownIndexesKeepThePreviousText) {
    ASSERT_EQ(Value(tagDriveLetter, "1"), "/home space");
    EXPECT_EQ(Value(9, "0"), "/home space");
    EXPECT_EQ(Value(-3, "0"), "/home space");
    EXPECT_EQ(Value(-1, "0"), "");
}

namespace {

// The 1B-blocks column of df for a path.
uint64_t DfBytes(const char* path) {
    const std::string command = std::string("df -B1 --output=size '") + path + "' | tail -1";
    uint64_t bytes = 0;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        if (std::fscanf(pipe, "%lu", &bytes) != 1) bytes = 0;
        ::pclose(pipe);
    }
    return bytes;
}

} // namespace

TEST_F(Diskfacts, RootSizeAgreesWithDf) {
    setSpace(nullptr);
    UseMachineTree();
    // In a chroot the root may be no mount point of its own.
    const std::string mounts = orv::test::ReadText("/proc/self/mounts");
    if (mounts.find(" / ") == std::string::npos) GTEST_SKIP() << "/ is no mount point here";
    const std::string count = Value(tagDriveEnum, "0");
    ASSERT_EQ(count.rfind("#enum", 0), 0u);
    const int drives = std::stoi(count.substr(5));
    int root = -1;
    for (int n = 0; n < drives && root < 0; ++n)
        if (Value(tagDriveLetter, std::to_string(n).c_str()) == "/") root = n;
    ASSERT_GE(root, 0) << "the root file system is always a drive";

    const uint64_t df = DfBytes("/");
    ASSERT_GT(df, 0u);
    const std::string text = Value(tagDriveSize, std::to_string(root).c_str());
    const std::string unit = text.substr(text.find(' ') + 1);
    const double scale = unit == "Gb" ? 1 << 30 : unit == "Mb" ? 1 << 20 : unit == "kb" ? 1024 : 1;
    EXPECT_NEAR(std::stod(text), static_cast<double>(df) / scale, 0.005) << text << " / " << df;
}
