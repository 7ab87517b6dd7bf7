#include "base/MessageBox.h"

#include "abi/ConstUnit.h"
#include "base/Cp1251.h"
#include "base/TextUtil.h"

#include <cstdio>
#include <dlfcn.h>

namespace orv {

std::string FormatErrorLine(std::string_view text, std::string_view caption) {
    std::string line = Cp1251ToUtf8(caption);
    line += ": ";
    std::string body = Cp1251ToUtf8(text);
    for (char& c : body)
        if (c == '\r' || c == '\n') c = ' ';
    line += EscapeControlBytes(body);
    line += '\n';
    return line;
}

void ShowMessage(std::string_view text, std::string_view caption, int flags) {
    const std::string textZ(text), captionZ(caption);
    if (auto box = reinterpret_cast<TMessageBoxFunc>(::dlsym(RTLD_DEFAULT, kMessageBoxExport))) {
        box(textZ.c_str(), captionZ.c_str(), flags);
        return;
    }
    const std::string line = FormatErrorLine(text, caption);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

} // namespace orv
