// The header of a mail message as the mailbox tags show it: the date in the user's short date
// format, sender and subject decoded from RFC 2047 encoded words and turned into Windows-1251.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace orv {

struct TMailHeader {
    std::string Date;    // short date, local time
    std::string From;    // Windows-1251
    std::string Subject; // Windows-1251
};

// Header text decoded: every encoded word "=?charset?B|Q?text?=" (a blank between two of them
// dropped, adjacent words of one charset decoded together, so a character split across two
// words survives) and the text outside them, from messageCharset when the message declares one,
// else from UTF-8 when the bytes are UTF-8, else as they are. A charset iconv does not know
// leaves the bytes as they are.
std::string DecodeHeaderText(std::string_view text, std::string_view messageCharset = {});

// The header block of a message (up to the first empty line; folded lines joined).
TMailHeader ParseMailHeader(std::string_view header);

// The local date of an RFC 5322 date ("Tue, 3 Mar 2026 10:00:00 +0300"); nullopt when the text
// is not one.
std::optional<std::chrono::year_month_day> MailDateToLocal(std::string_view text);

} // namespace orv
