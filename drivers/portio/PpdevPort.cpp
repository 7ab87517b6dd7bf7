#include "drivers/portio/PpdevPort.h"

#include "drivers/portio/EmulatedPanel.h"
#include "drivers/portio/PanelLock.h"
#include "base/AtomicFile.h"

#include <algorithm>
#include <cstdint>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <fcntl.h>
#include <grp.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace orv {

namespace {

// The port number of a "parportN" entry, or -1.
int PortNumber(const char* name) {
    if (std::strncmp(name, "parport", 7) != 0 || name[7] == '\0') return -1;
    int n = 0;
    for (const char* p = name + 7; *p; ++p) {
        if (*p < '0' || *p > '9' || n > 1000) return -1;
        n = n * 10 + (*p - '0');
    }
    return n;
}

// The first decimal number of a base-addr file, or -1.
long long FirstNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    long long value = -1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && value < (1LL << 40); ++i)
        value = (value < 0 ? 0 : value * 10) + (text[i] - '0');
    return value;
}

int Ioctl(int fd, unsigned long request, void* arg) {
    int result;
    do result = ::ioctl(fd, request, arg);
    while (result < 0 && errno == EINTR);
    return result;
}

// How to get the right to open device: join the group that owns it.
std::string AccessHint(const std::string& device) {
    struct stat st {};
    if (::stat(device.c_str(), &st) != 0) return {};
    std::vector<char> buffer(16384);
    group entry{};
    group* found = nullptr;
    if (::getgrgid_r(st.st_gid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return {};
    const std::string name = found->gr_name;
    return " (join the group " + name + " that owns it: sudo adduser $USER " + name +
           ", then log in again)";
}

} // namespace

TPpdevRoots TPpdevRoots::FromEnvironment() {
    TPpdevRoots roots;
    if (const char* proc = std::getenv("ORVANTA3_PORTIO_PROC_ROOT"); proc && *proc)
        roots.proc = proc;
    if (const char* dev = std::getenv("ORVANTA3_PORTIO_DEV_ROOT"); dev && *dev) roots.dev = dev;
    return roots;
}

namespace {

std::string ParportFolder(const TPpdevRoots& roots) { return roots.proc + "/sys/dev/parport"; }

// The first number of parportN's base-addr, or -1.
long long BaseAddressOf(const TPpdevRoots& roots, const std::string& name) {
    const auto text = ReadWholeFile(ParportFolder(roots) + "/" + name + "/base-addr");
    return text ? FirstNumber(*text) : -1;
}

} // namespace

std::optional<uint32_t> ParportDeviceBase(const TPpdevRoots& roots, const std::string& device) {
    std::error_code ec;
    const std::filesystem::path target = std::filesystem::canonical(device, ec);
    const std::string name = (ec ? std::filesystem::path(device) : target).filename().string();
    if (PortNumber(name.c_str()) < 0) return std::nullopt;
    const long long base = BaseAddressOf(roots, name);
    if (base < 0 || base > UINT32_MAX) return std::nullopt;
    return static_cast<uint32_t>(base);
}

std::string FindParportDevice(const TPpdevRoots& roots, uint32_t base) {
    const std::string folder = ParportFolder(roots);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return {};
    std::vector<int> ports;
    while (const dirent* entry = ::readdir(dir))
        if (const int n = PortNumber(entry->d_name); n >= 0) ports.push_back(n);
    ::closedir(dir);
    std::sort(ports.begin(), ports.end());
    for (int n : ports) {
        const std::string name = "parport" + std::to_string(n);
        if (BaseAddressOf(roots, name) == static_cast<long long>(base))
            return roots.dev + "/" + name;
    }
    return {};
}

std::unique_ptr<TPpdevPort> TPpdevPort::Open(const std::string& device, std::string& error) {
    const int fd = ::open(device.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        const int openError = errno;
        error = "cannot open " + device + ": " + std::strerror(openError);
        if (openError == EACCES) error += AccessHint(device);
        if (openError == ENOENT) error += " (is the ppdev module loaded?)";
        return nullptr;
    }
    // Before the claim, which would wait for as long as another program holds the port.
    if (!LockPanelDevice(fd, "the panel on " + device, error)) {
        ::close(fd);
        return nullptr;
    }
    if (Ioctl(fd, PPCLAIM, nullptr) != 0) {
        error = "cannot claim " + device + ": " + std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<TPpdevPort>(new TPpdevPort(fd));
}

TPpdevPort::~TPpdevPort() {
    Ioctl(fd_, PPRELEASE, nullptr);
    ::close(fd_);
}

void TPpdevPort::Write(unsigned reg, uint8_t value) {
    if (reg == kDataRegister)
        Ioctl(fd_, PPWDATA, &value);
    else if (reg == kControlRegister)
        Ioctl(fd_, PPWCONTROL, &value);
}

uint8_t TPpdevPort::Read(unsigned reg) {
    uint8_t value = 0;
    const unsigned long request = reg == kDataRegister     ? PPRDATA
                                  : reg == kStatusRegister ? PPRSTATUS
                                                           : PPRCONTROL;
    if (reg > kControlRegister || Ioctl(fd_, request, &value) != 0) return 0;
    return value;
}

} // namespace orv
