#include "modules/common/SecretFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv {

namespace {

constexpr size_t kMaxSecretBytes = 4096;

std::string ModeText(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

} // namespace

std::optional<std::string> ReadSecretFile(const std::string& path, std::string& problem) {
    // O_NONBLOCK: a FIFO named by mistake must not hang the module.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        problem = path + " cannot be read: " + std::strerror(errno);
        return std::nullopt;
    }
    struct stat info {};
    std::optional<std::string> secret;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        problem = path + " is not a regular file";
    } else if (info.st_mode & (S_IRGRP | S_IROTH)) {
        problem = path + " can be read by other users (mode " + ModeText(info.st_mode) +
                  "); it is not used until it is made private: chmod 600 " + path;
    } else if (static_cast<size_t>(info.st_size) > kMaxSecretBytes) {
        problem = path + " is larger than " + std::to_string(kMaxSecretBytes) + " bytes";
    } else {
        std::string text(kMaxSecretBytes, '\0');
        size_t got = 0;
        for (;;) {
            const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<size_t>(n);
            if (got == text.size()) break;
        }
        text.resize(got);
        text = text.substr(0, text.find('\n'));
        if (text.ends_with('\r')) text.pop_back();
        secret = std::move(text);
    }
    ::close(fd);
    return secret;
}

std::optional<std::string> ServiceCredentialPath(std::string_view name) {
    const char* folder = std::getenv("CREDENTIALS_DIRECTORY");
    if (!folder || !*folder) return std::nullopt;
    std::string path = std::string(folder) + "/" + std::string(name);
    if (::access(path.c_str(), F_OK) != 0) return std::nullopt;
    return path;
}

} // namespace orv
