#include "tests/support/MessageCapture.h"

#include "abi/ConstUnit.h"

namespace {
std::mutex mutex;
std::vector<orv::test::TShownMessage> shown;
} // namespace

ORVANTA3_EXPORT void Orvanta3MessageBox(const char* text, const char* caption, int flags) {
    std::lock_guard lock(mutex);
    shown.push_back({text, caption, flags});
}

namespace orv::test {

std::vector<TShownMessage> ShownMessages() {
    std::lock_guard lock(mutex);
    return shown;
}

void ClearShownMessages() {
    std::lock_guard lock(mutex);
    shown.clear();
}

} // namespace orv::test
