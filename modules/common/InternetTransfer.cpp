#include "modules/common/InternetTransfer.h"

#include "base/IniFile.h"
#include "base/TextUtil.h"

#include <curl/curl.h>

#include <mutex>

namespace orv {

namespace {

void GlobalInitOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace

TProxy ReadProxy(const TIniDocument& settings, bool useProxy) {
    if (!useProxy) return {};
    TProxy proxy;
    proxy.Host = std::string(Trim(settings.ReadString(kINetSection, kProxyKey, "")));
    proxy.Port = settings.ReadInteger(kINetSection, kProxyPortKey, kDefaultProxyPort);
    if (proxy.Port < 1 || proxy.Port > 65535) proxy.Port = kDefaultProxyPort;
    return proxy;
}

TCurlTransfer::TCurlTransfer(std::stop_token stop, TTransferLimits limits)
    : stop_(std::move(stop)), limits_(limits) {
    GlobalInitOnce();
    curl_ = curl_easy_init();
    if (!curl_) return;
    curl_easy_setopt(curl_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl_, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits_.Connect.count()));
    curl_easy_setopt(curl_, CURLOPT_TIMEOUT_MS, static_cast<long>(limits_.Total.count()));
    curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, &TCurlTransfer::OnBody);
    curl_easy_setopt(curl_, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(curl_, CURLOPT_HEADERFUNCTION, &TCurlTransfer::OnHeader);
    curl_easy_setopt(curl_, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(curl_, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl_, CURLOPT_XFERINFOFUNCTION, &TCurlTransfer::OnProgress);
    curl_easy_setopt(curl_, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(curl_, CURLOPT_PROTOCOLS_STR, "http,https,pop3,pop3s");
    curl_easy_setopt(curl_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    SetProxy({});
}

TCurlTransfer::~TCurlTransfer() {
    if (curl_) curl_easy_cleanup(curl_);
}

void TCurlTransfer::SetProxy(const TProxy& proxy) {
    if (!curl_) return;
    if (proxy.Host.empty()) {
        curl_easy_setopt(curl_, CURLOPT_PROXY, ""); // no proxy, whatever the environment says
        return;
    }
    curl_easy_setopt(curl_, CURLOPT_PROXY, proxy.Host.c_str());
    curl_easy_setopt(curl_, CURLOPT_PROXYPORT, static_cast<long>(proxy.Port));
    curl_easy_setopt(curl_, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP));
}

bool TCurlTransfer::Perform(const std::string& url) {
    body_.clear();
    headers_.clear();
    error_.clear();
    tooLarge_ = false;
    if (!curl_) {
        error_ = "libcurl could not be initialised";
        return false;
    }
    if (stop_.stop_requested()) {
        error_ = "stopped";
        return false;
    }
    char message[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl_, CURLOPT_ERRORBUFFER, message);
    curl_easy_setopt(curl_, CURLOPT_URL, url.c_str());
    const CURLcode code = curl_easy_perform(curl_);
    curl_easy_setopt(curl_, CURLOPT_ERRORBUFFER, nullptr);
    if (code == CURLE_OK) return true;
    error_ = tooLarge_    ? "the answer is too large"
             : message[0] ? message
                          : curl_easy_strerror(code);
    return false;
}

long TCurlTransfer::ResponseCode() const {
    long status = 0;
    if (curl_) curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &status);
    return status;
}

size_t TCurlTransfer::OnBody(char* data, size_t size, size_t count, void* self) {
    auto& t = *static_cast<TCurlTransfer*>(self);
    const size_t n = size * count;
    if (t.body_.size() + n > t.limits_.MaxBodyBytes) {
        t.tooLarge_ = true;
        return 0; // ends the transfer with an error
    }
    t.body_.append(data, n);
    return n;
}

size_t TCurlTransfer::OnHeader(char* data, size_t size, size_t count, void* self) {
    auto& t = *static_cast<TCurlTransfer*>(self);
    const size_t n = size * count;
    if (t.headers_.size() + n <= t.limits_.MaxBodyBytes) t.headers_.append(data, n);
    return n;
}

int TCurlTransfer::OnProgress(void* self, int64_t, int64_t, int64_t, int64_t) {
    return static_cast<TCurlTransfer*>(self)->stop_.stop_requested() ? 1 : 0;
}

THttpAnswer HttpGet(const std::string& url, const TProxy& proxy, std::stop_token stop,
                    TTransferLimits limits) {
    TCurlTransfer transfer(std::move(stop), limits);
    transfer.SetProxy(proxy);
    if (CURL* curl = transfer.Handle()) {
        curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
        curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, ""); // every encoding libcurl decodes
        curl_easy_setopt(curl, CURLOPT_USERAGENT, "Orvanta3/" ORVANTA3_VERSION);
    }
    THttpAnswer answer;
    const bool done = transfer.Perform(url);
    answer.Status = transfer.ResponseCode();
    answer.Body = transfer.Body();
    answer.Error = transfer.Error();
    if (CURL* curl = transfer.Handle()) {
        char* type = nullptr;
        if (curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type)
            answer.ContentType = type;
    }
    answer.Ok = done && answer.Status >= 200 && answer.Status < 300;
    if (done && !answer.Ok) answer.Error = "HTTP status " + std::to_string(answer.Status);
    return answer;
}

std::string CharsetOfContentType(std::string_view contentType) {
    std::string lower;
    for (char c : contentType) lower += LowerAscii(c);
    const size_t at = lower.find("charset=");
    if (at == std::string::npos) return {};
    std::string_view value = std::string_view(lower).substr(at + 8);
    value = value.substr(0, value.find(';'));
    value = Trim(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\''))
        value = value.substr(1, value.size() - 2);
    return std::string(Trim(value));
}

} // namespace orv
