// The link to the MQTT broker: one libmosquitto client whose own thread connects, subscribes
// to every topic filter of the MQTT sources, reconnects with a growing pause, and hands each
// message to the receiver. Nothing here runs on the caller's thread but set-up and teardown.
#pragma once

#include "modules/valuetap/TapSources.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct mosquitto;
struct mosquitto_message;

namespace orv {

class TMqttFeed {
public:
    // Called on the client's thread, once for every filter the message's topic matches: its
    // index into filters and the payload cut to that filter's bound.
    using TReceiver = std::function<void(size_t filter, std::string_view payload)>;
    using TTracer = std::function<void(const std::string& line)>;

    // filters: topic filters in UTF-8 with their byte bounds. Starts connecting at once.
    TMqttFeed(const TBrokerSettings& broker, std::vector<std::pair<std::string, size_t>> filters,
              TReceiver receiver, TTracer tracer);
    ~TMqttFeed();
    TMqttFeed(const TMqttFeed&) = delete;
    TMqttFeed& operator=(const TMqttFeed&) = delete;

private:
    static void OnConnect(mosquitto* client, void* self, int result);
    static void OnDisconnect(mosquitto* client, void* self, int result);
    static void OnMessage(mosquitto* client, void* self, const mosquitto_message* message);

    std::vector<std::pair<std::string, size_t>> filters_;
    TReceiver receiver_;
    TTracer tracer_;
    mosquitto* client_ = nullptr;
    bool looping_ = false;
};

} // namespace orv
