// The remote-control interface (RemoteNames.h) for programs without Qt, through sd-bus: the
// requests go to TApplicationCore from a thread of the service's own that sleeps until a
// message comes.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <thread>

struct sd_bus;
struct sd_bus_slot;

namespace orv {

class TApplicationCore;

class TBusRemoteService {
public:
    // Connects to the session bus and takes the service name. Without a session bus, or when
    // another program owns the name, nothing runs and Error() says why.
    // reload reads the settings and the job again and returns why it failed (empty: it did); a
    // Reload request calls it on the service's thread. Without one, Reload fails.
    using TReloadFunc = std::function<std::string()>;
    explicit TBusRemoteService(TApplicationCore& core, TReloadFunc reload = {});
    ~TBusRemoteService(); // Stop
    TBusRemoteService(const TBusRemoteService&) = delete;
    TBusRemoteService& operator=(const TBusRemoteService&) = delete;

    bool Running() const { return thread_.joinable(); }
    const std::string& Error() const { return error_; }
    // Ends the service and waits for its thread; no request reaches the core afterwards.
    void Stop();

    // For the request handlers: the core, a reload, and a read of the job that a reload
    // through this service never changes meanwhile.
    TApplicationCore& Core() { return core_; }
    std::string Reload();
    std::string WithCore(const std::function<std::string()>& read);

private:
    void Serve();

    TApplicationCore& core_;
    TReloadFunc reload_;
    std::mutex coreMutex_; // a reload against the reads of Status
    sd_bus* bus_ = nullptr;
    sd_bus_slot* slot_ = nullptr;
    int stopFd_ = -1; // an eventfd: written to end the loop
    std::string error_;
    std::thread thread_;
};

} // namespace orv
