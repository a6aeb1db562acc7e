#include "model/time_text_receiver.h"

#include <atomic>

namespace wd {
namespace {

// Constant-initialised and trivially destructible: safe at attach and detach.
std::atomic<TimeTextReceiver*> gReceiver{nullptr};

}  // namespace

void TimeTextReceiver::install(TimeTextReceiver* receiver) { gReceiver.store(receiver, std::memory_order_release); }

TimeTextReceiver* TimeTextReceiver::installed() { return gReceiver.load(std::memory_order_acquire); }

}  // namespace wd
