#include "appcore/NoDriverMessage.h"

#include "base/TextUtil.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace orv {

namespace {

constexpr const char* kNothingShown = "no display driver is active, so no panel shows anything";

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

std::string NoDriverMessage(const std::string& settingsPath) {
    struct stat st {};
    if (::stat(settingsPath.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return "The settings file " + settingsPath + " is a folder; " + kNothingShown + ".";
        return "Settings read from " + settingsPath + ": " + kNothingShown +
               " (set Active=1 in its [textport.so] or [graphport.so] section).";
    }
    const int statError = errno;
    const std::string folder = DirName(settingsPath);
    if (statError == ENOENT && !IsFolder(folder))
        return "No settings file: the folder " + folder + " of " + settingsPath +
               " does not exist; " + kNothingShown + ".";
    if (statError == ENOENT)
        return "No settings file " + settingsPath + " was found; " + kNothingShown + ".";
    return "The settings file " + settingsPath + " cannot be read (" + std::strerror(statError) +
           "); " + kNothingShown + ".";
}

} // namespace orv
