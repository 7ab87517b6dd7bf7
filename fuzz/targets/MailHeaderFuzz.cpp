// A message's header block as a mail server sends it: encoded words in any charset, folded
// lines, dates.
//
// Input: the first line is the charset the message declares, the rest the header block.
#include "fuzz/FuzzInput.h"
#include "modules/postwatch/MailHeaders.h"

using namespace orv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text = fuzz::AsText(data, size);
    const size_t newline = text.find('\n');
    const std::string_view charset =
        newline == std::string_view::npos ? std::string_view() : text.substr(0, newline);
    const std::string_view header =
        newline == std::string_view::npos ? text : text.substr(newline + 1);
    DecodeHeaderText(header, charset.substr(0, 40));
    DecodeHeaderText(header);
    ParseMailHeader(header);
    MailDateToLocal(header);
    return 0;
}
