// The operating system's version text: the distribution's name and the kernel's release.
#pragma once

#include <string>
#include <string_view>

namespace orv {

// PRETTY_NAME of an os-release text, quotes and escapes removed; NAME when it has none, and
// "Linux" when it has neither (the default the os-release format gives).
std::string PrettyName(std::string_view osRelease);

// "NAME: major.minor.patch" from a kernel release such as "6.1.0-18-amd64" (missing numbers
// count as 0, the patch number keeps its low 16 bits): «Debian GNU/Linux 12 (bookworm): 6.1.0».
std::string OsVersionText(std::string_view prettyName, std::string_view kernelRelease);

} // namespace orv
