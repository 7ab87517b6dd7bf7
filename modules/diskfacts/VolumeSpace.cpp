#include "modules/diskfacts/VolumeSpace.h"

#include <condition_variable>
#include <dlfcn.h>
#include <mutex>
#include <sys/statvfs.h>
#include <system_error>
#include <thread>

namespace orv {

namespace {

// A helper thread that outlives its time limit runs this library's code whenever its query
// returns: the library must then stay loaded until the process ends.
void KeepThisLibraryLoaded() {
    static bool kept = false;
    if (kept) return;
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&KeepThisLibraryLoaded), &info) && info.dli_fname)
        kept = ::dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE) != nullptr;
}

} // namespace

bool StatvfsSpace(const char* path, uint64_t* totalBytes, uint64_t* freeBytes) {
    struct statvfs fs {};
    if (::statvfs(path, &fs) != 0) return false;
    const uint64_t unit = fs.f_frsize ? fs.f_frsize : fs.f_bsize;
    *totalBytes = static_cast<uint64_t>(fs.f_blocks) * unit;
    *freeBytes = static_cast<uint64_t>(fs.f_bfree) * unit;
    return true;
}

struct TVolumeSpaceQuery::TPending {
    std::mutex lock;
    std::condition_variable doneSignal;
    bool done = false;
    bool answered = false;
    TVolumeSpace space;
};

std::optional<TVolumeSpace> TVolumeSpaceQuery::Ask(const std::string& path, bool mayHang) {
    if (!mayHang) {
        TVolumeSpace space;
        if (!query_(path.c_str(), &space.TotalBytes, &space.FreeBytes)) return std::nullopt;
        return space;
    }

    if (const auto late = late_.find(path); late != late_.end()) {
        const std::shared_ptr<TPending> pending = late->second;
        std::lock_guard hold(pending->lock);
        if (pending->done) {
            late_.erase(late);
            Remember(path, *pending);
        }
        return LastAnswer(path);
    }

    auto pending = std::make_shared<TPending>();
    std::thread helper;
    try {
        helper = std::thread([pending, path, query = query_] {
            TVolumeSpace space;
            const bool answered = query(path.c_str(), &space.TotalBytes, &space.FreeBytes);
            std::lock_guard hold(pending->lock);
            pending->space = space;
            pending->answered = answered;
            pending->done = true;
            pending->doneSignal.notify_all();
        });
    } catch (const std::system_error&) {
        return std::nullopt; // no thread to spare: the mount is not asked this time
    }
    std::unique_lock hold(pending->lock);
    if (pending->doneSignal.wait_for(hold, timeLimit_, [&] { return pending->done; })) {
        Remember(path, *pending);
        hold.unlock();
        helper.join();
        return LastAnswer(path);
    }
    hold.unlock();
    KeepThisLibraryLoaded();
    helper.detach();
    late_[path] = pending;
    return LastAnswer(path);
}

void TVolumeSpaceQuery::Remember(const std::string& path, const TPending& pending) {
    if (pending.answered)
        lastAnswer_[path] = pending.space;
    else
        lastAnswer_.erase(path);
}

std::optional<TVolumeSpace> TVolumeSpaceQuery::LastAnswer(const std::string& path) const {
    const auto found = lastAnswer_.find(path);
    if (found == lastAnswer_.end()) return std::nullopt;
    return found->second;
}

} // namespace orv
