// Transfers of the internet modules through libcurl: the program's proxy, time-outs on every
// transfer, a size limit on what a server may send, and an end as soon as the module stops
// the work (a module being released must not wait for a slow server).
#pragma once

#include "base/ProgramSettingKeys.h"

#include <chrono>
#include <cstdint>
#include <stop_token>
#include <string>
#include <string_view>

typedef void CURL;

namespace orv {

class TIniDocument;

// The program's proxy ("INet" "Proxy" and "ProxyPort"); an empty host means a direct
// connection, also when the environment names a proxy.
struct TProxy {
    std::string Host;
    int32_t Port = kDefaultProxyPort;
    bool operator==(const TProxy&) const = default;
};

// The proxy a module uses: the program's when useProxy is on and "Proxy" is not empty, else none.
TProxy ReadProxy(const TIniDocument& settings, bool useProxy);

struct TTransferLimits {
    std::chrono::milliseconds Connect{15000};
    std::chrono::milliseconds Total{60000};
    size_t MaxBodyBytes = 16u << 20;
};

// One libcurl easy handle with the options every transfer of the modules shares. The handle
// may run several transfers one after another; each keeps the limits.
class TCurlTransfer {
public:
    explicit TCurlTransfer(std::stop_token stop = {}, TTransferLimits limits = {});
    ~TCurlTransfer();
    TCurlTransfer(const TCurlTransfer&) = delete;
    TCurlTransfer& operator=(const TCurlTransfer&) = delete;

    CURL* Handle() const { return curl_; }
    void SetProxy(const TProxy& proxy);

    // Runs one transfer of url; the body goes to Body() (replaced), header lines to Headers().
    // False on any failure, with a text in Error().
    bool Perform(const std::string& url);

    const std::string& Body() const { return body_; }
    const std::string& Headers() const { return headers_; }
    const std::string& Error() const { return error_; }
    long ResponseCode() const;

private:
    static size_t OnBody(char* data, size_t size, size_t count, void* self);
    static size_t OnHeader(char* data, size_t size, size_t count, void* self);
    static int OnProgress(void* self, int64_t, int64_t, int64_t, int64_t);

    CURL* curl_ = nullptr;
    std::stop_token stop_;
    TTransferLimits limits_;
    std::string body_;
    std::string headers_;
    std::string error_;
    bool tooLarge_ = false;
};

struct THttpAnswer {
    bool Ok = false; // a 2xx answer arrived whole
    long Status = 0;
    std::string Body;
    std::string ContentType; // the last "Content-Type" header's value
    std::string Error;
};

// HTTP(S) GET with redirects followed.
THttpAnswer HttpGet(const std::string& url, const TProxy& proxy, std::stop_token stop = {},
                    TTransferLimits limits = {});

// The charset parameter of a Content-Type value, lower case; empty when there is none.
std::string CharsetOfContentType(std::string_view contentType);

} // namespace orv
