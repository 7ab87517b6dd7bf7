// Secrets a headless box keeps out of the settings file: a file only its owner may read, or a
// credential the service manager hands over ($CREDENTIALS_DIRECTORY, LoadCredential= of a
// systemd unit).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orv {

// The first line of path (without its line end), or nullopt and one line in problem (UTF-8)
// when the file is missing, not a regular file, larger than 4 KiB, or readable by its group or
// by other users (its mode gives them read access).
std::optional<std::string> ReadSecretFile(const std::string& path, std::string& problem);

// The path of the service's credential name when the service manager handed one over; nullopt
// otherwise.
std::optional<std::string> ServiceCredentialPath(std::string_view name);

} // namespace orv
