#include "modules/postwatch/Pop3Mailbox.h"

#include "base/TextUtil.h"
#include "modules/common/InternetTransfer.h"
#include "modules/postwatch/MailHeaders.h"

#include <charconv>
#include <curl/curl.h>

namespace orv {

namespace {

// Messages beyond this many are counted but not listed (one header request each).
constexpr size_t kMaxListed = 255;
// A mailbox of more messages is counted without the list of sizes (a dozen bytes each).
constexpr size_t kMaxWholeList = 100'000;

// Each line of text, blanks trimmed.
template <typename F> void ForEachLine(std::string_view text, F each) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        each(Trim(text.substr(start, end - start)));
        start = end + 1;
    }
}

} // namespace

std::optional<size_t> StatCount(std::string_view responses) {
    std::optional<size_t> count;
    ForEachLine(responses, [&](std::string_view line) {
        if (!line.starts_with("+OK ")) return;
        const std::string_view rest = line.substr(4);
        size_t value = 0;
        const auto [next, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
        const bool counted = ec == std::errc() && next != rest.data() &&
                             next < rest.data() + rest.size() && *next == ' ';
        count = counted ? std::optional(value) : std::nullopt;
    });
    return count;
}

std::vector<std::string> ListedSizes(std::string_view answer) {
    std::vector<std::string> sizes;
    ForEachLine(answer, [&](std::string_view line) {
        if (line.empty()) return;
        const size_t blank = line.find(' ');
        sizes.emplace_back(blank == std::string_view::npos ? std::string_view("0")
                                                           : Trim(line.substr(blank + 1)));
    });
    return sizes;
}

TMailboxCheck CheckMailbox(const TMailSettings& account, std::stop_token stop) {
    TMailboxCheck check;
    const std::string address = MailboxAddress(account.Server, account.Security);
    if (address.empty()) {
        check.Error = "no server";
        return check;
    }
    TCurlTransfer transfer(stop, {.Connect = std::chrono::seconds(15),
                                  .Total = std::chrono::seconds(60),
                                  .MaxBodyBytes = 4u << 20});
    CURL* curl = transfer.Handle();
    if (!curl) {
        check.Error = "libcurl could not be initialised";
        return check;
    }
    curl_easy_setopt(curl, CURLOPT_USERNAME, account.User.c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, account.Password.c_str());
    if (account.Security == TMailSecurity::StartTls)
        curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    if (account.AcceptSelfSigned) {
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    }

    // Every request runs on the one connection the first opened. STAT says how many messages
    // there are: a list that holds fewer ended early.
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "STAT");
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    if (!transfer.Perform(address)) {
        check.Error = transfer.Error();
        return check;
    }
    const std::optional<size_t> count = StatCount(transfer.Headers());
    if (!count) {
        check.Error = "the server did not say how many messages there are";
        return check;
    }
    curl_easy_setopt(curl, CURLOPT_NOBODY, 0L);
    std::vector<std::string> sizes;
    if (*count <= kMaxWholeList) {
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "LIST");
        if (!transfer.Perform(address)) {
            check.Error = transfer.Error();
            return check;
        }
        sizes = ListedSizes(transfer.Body());
        if (sizes.size() != *count) {
            check.Error = "the list of messages ended early";
            return check;
        }
    }
    for (size_t k = 1; k <= *count && k <= kMaxListed; ++k) {
        const std::string top = "TOP " + std::to_string(k) + " 0";
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, top.c_str());
        if (!transfer.Perform(address)) {
            check.Error = transfer.Error();
            return check;
        }
        const TMailHeader header = ParseMailHeader(transfer.Body());
        check.Messages.push_back(
            {header.Date, header.From, header.Subject, k <= sizes.size() ? sizes[k - 1] : "?"});
    }
    check.Count = *count;
    check.Ok = true;
    return check;
}

} // namespace orv
