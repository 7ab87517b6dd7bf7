// One check of a POP3 mailbox through libcurl: one connection, the list of sizes ("LIST"), and
// the header of every message ("TOP n 0"); never a message body.
#pragma once

#include "modules/postwatch/MailAccount.h"

#include <stop_token>
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
    std::vector<TMailEntry> Messages; // server order
    std::string Error;
};

TMailboxCheck CheckMailbox(const TMailSettings& account, std::stop_token stop = {});

// The sizes of a "LIST" answer ("1 1200\r\n2 300\r\n"), in message order.
std::vector<std::string> ListedSizes(std::string_view answer);

} // namespace orv
