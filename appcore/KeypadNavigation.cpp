#include "appcore/KeypadNavigation.h"

#include "engine/ControlThread.h"
#include "abi/ConstUnit.h"

#include <mutex>

namespace {

std::mutex receiverMutex;
orv::TControlThread* receiver = nullptr; // under receiverMutex

} // namespace

// Called by drivers from their own threads; navigation of the display thread is thread-safe.
ORVANTA3_EXPORT void Orvanta3KeyPress(int8_t code) {
    std::lock_guard lock(receiverMutex);
    if (!receiver) return;
    switch (code) {
    case kKeyPreviousScreen: receiver->Previous(); break;
    case kKeyNextScreen: receiver->Next(); break;
    case kKeyFirstScreen: receiver->GoTo(0); break;
    default: break;
    }
}

namespace orv {

TKeypadNavigation::TKeypadNavigation(TControlThread& thread) : thread_(thread) {
    std::lock_guard lock(receiverMutex);
    receiver = &thread_;
}

TKeypadNavigation::~TKeypadNavigation() {
    std::lock_guard lock(receiverMutex);
    if (receiver == &thread_) receiver = nullptr;
}

} // namespace orv
