#include "modules/valuetap/MqttFeed.h"

#include "base/Cp1251.h"

#include <mosquitto.h>

#include <mutex>

namespace orv {

namespace {

constexpr int kKeepAliveSec = 60;
constexpr unsigned kFirstPauseSec = 1;
constexpr unsigned kLongestPauseSec = 60;

void InitLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

} // namespace

TMqttFeed::TMqttFeed(const TBrokerSettings& broker,
                     std::vector<std::pair<std::string, size_t>> filters, TReceiver receiver,
                     TTracer tracer)
    : filters_(std::move(filters)), receiver_(std::move(receiver)), tracer_(std::move(tracer)) {
    InitLibrary();
    client_ = mosquitto_new(nullptr, true, this);
    if (!client_) return;
    mosquitto_connect_callback_set(client_, &TMqttFeed::OnConnect);
    mosquitto_disconnect_callback_set(client_, &TMqttFeed::OnDisconnect);
    mosquitto_message_callback_set(client_, &TMqttFeed::OnMessage);
    mosquitto_reconnect_delay_set(client_, kFirstPauseSec, kLongestPauseSec, true);
    if (!broker.User.empty()) {
        std::string problem;
        const auto password = BrokerPassword(broker, problem);
        if (!password) tracer_("MQTT password not used: " + problem);
        mosquitto_username_pw_set(client_, Cp1251ToUtf8(broker.User).c_str(),
                                  password ? password->c_str() : nullptr);
    }
    if (broker.Tls) {
        const std::string caFile = Cp1251ToUtf8(broker.CaFile);
        const int tls = mosquitto_tls_set(client_, caFile.empty() ? nullptr : caFile.c_str(),
                                          caFile.empty() ? "/etc/ssl/certs" : nullptr, nullptr,
                                          nullptr, nullptr);
        if (tls != MOSQ_ERR_SUCCESS)
            tracer_(std::string("MQTT TLS set-up: ") + mosquitto_strerror(tls));
    }
    const std::string host = Cp1251ToUtf8(broker.Host);
    const int connect = mosquitto_connect_async(client_, host.c_str(), broker.Port, kKeepAliveSec);
    if (connect != MOSQ_ERR_SUCCESS)
        tracer_("MQTT broker " + host + ": " + mosquitto_strerror(connect) + "; trying again");
    looping_ = mosquitto_loop_start(client_) == MOSQ_ERR_SUCCESS;
}

TMqttFeed::~TMqttFeed() {
    if (!client_) return;
    mosquitto_disconnect(client_);
    if (looping_) mosquitto_loop_stop(client_, false);
    mosquitto_destroy(client_);
}

void TMqttFeed::OnConnect(mosquitto* client, void* self, int result) {
    auto& feed = *static_cast<TMqttFeed*>(self);
    if (result != 0) {
        feed.tracer_(std::string("MQTT connection refused: ") + mosquitto_connack_string(result));
        return;
    }
    feed.tracer_("MQTT connected");
    for (const auto& [filter, bytes] : feed.filters_)
        mosquitto_subscribe(client, nullptr, filter.c_str(), 0);
}

void TMqttFeed::OnDisconnect(mosquitto*, void* self, int result) {
    if (result != 0) static_cast<TMqttFeed*>(self)->tracer_("MQTT connection lost; trying again");
}

void TMqttFeed::OnMessage(mosquitto*, void* self, const mosquitto_message* message) {
    auto& feed = *static_cast<TMqttFeed*>(self);
    if (!message || !message->topic) return;
    const std::string_view payload(static_cast<const char*>(message->payload),
                                   message->payload ? static_cast<size_t>(message->payloadlen) : 0);
    for (size_t i = 0; i < feed.filters_.size(); ++i) {
        bool matches = false;
        if (mosquitto_topic_matches_sub(feed.filters_[i].first.c_str(), message->topic, &matches) ==
                MOSQ_ERR_SUCCESS &&
            matches)
            feed.receiver_(i, payload.substr(0, feed.filters_[i].second));
    }
}

} // namespace orv
