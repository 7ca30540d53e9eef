#include "platform/FramePacer.h"

namespace qz {

TFramePacer::TFramePacer(TClock clock, TWait wait)
    : clock_(std::move(clock)), wait_(std::move(wait)) {
    start_ = clock_();
    due_ = start_;
}

void TFramePacer::SetRate(int32_t framesPerSecond) {
    if (framesPerSecond == rate_)
        return;
    rate_ = framesPerSecond > 0 ? framesPerSecond : 0;
    period_ = rate_ > 0 ? (1000000 + uint64_t(rate_) / 2) / uint64_t(rate_) : 0;
    due_ = clock_();
    holding_ = false;
}

bool TFramePacer::WaitForFrame() {
    uint64_t now = clock_();
    while (now < due_) {
        if (wait_(due_ - now))
            return false;
        now = clock_();
    }
    // More than a period late (a slow frame, a pause, a busy machine): the frames start
    // over from now instead of racing to catch up.
    if (now - due_ >= period_)
        due_ = now;
    start_ = now;
    return true;
}

void TFramePacer::FrameShown() {
    const uint64_t now = clock_();
    // A frame within an eighth of a period of a whole one took it by itself: the present
    // waited for the monitor, or the frame is slow. Holding it back would only lose time.
    holding_ = period_ != 0 && now - start_ + period_ / 8 < period_;
    // Otherwise the next one is due a period after this one was, however late this one
    // started, so that waits that wake late do not slow the rate.
    due_ = holding_ ? due_ + period_ : now;
}

} // namespace qz
