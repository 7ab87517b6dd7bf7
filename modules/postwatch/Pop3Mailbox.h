// One check of a POP3 mailbox through libcurl: one connection, the count ("STAT"), the list of
// sizes ("LIST", which must hold that many) and the header of the first messages ("TOP n 0");
// never a message body.
#pragma once

#include "modules/postwatch/MailAccount.h"

#include <optional>
#include <stop_token>
#include <string_view>
#include <string>
#include <vector>

namespace orv {

struct TMailEntry {
    std::string Date;
    std::string From;
    std::string Subject;
    std::string Size; // bytes, decimal
};

struct TMailboxCheck {
    bool Ok = false;
    size_t Count = 0;                 // messages in the box
    std::vector<TMailEntry> Messages; // server order, the first 255 of them
    std::string Error;
};

TMailboxCheck CheckMailbox(const TMailSettings& account, std::stop_token stop = {});

// The message count of the last answer to "STAT" ("+OK 3 4200") among the server's response
// lines; nullopt when the last "+OK" line is no such answer.
std::optional<size_t> StatCount(std::string_view responses);

// The sizes of a "LIST" answer ("1 1200\r\n2 300\r\n"), in message order.
std::vector<std::string> ListedSizes(std::string_view answer);

} // namespace orv
