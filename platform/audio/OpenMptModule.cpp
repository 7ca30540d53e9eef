#include "platform/audio/OpenMptModule.h"

#include <libopenmpt/libopenmpt.h>

namespace qz {

std::unique_ptr<TOpenMptModule> TOpenMptModule::Create(const void* bytes, size_t length) {
    if (bytes == nullptr || length == 0) {
        return nullptr;
    }
    int error = 0;
    openmpt_module* module = openmpt_module_create_from_memory2(
        bytes, length, openmpt_log_func_silent, nullptr, openmpt_error_func_ignore, nullptr, &error,
        nullptr, nullptr);
    if (module == nullptr) {
        return nullptr;
    }
    openmpt_module_set_repeat_count(module, -1);
    return std::unique_ptr<TOpenMptModule>(new TOpenMptModule(module));
}

TOpenMptModule::~TOpenMptModule() {
    openmpt_module_destroy(module_);
}

void TOpenMptModule::SetOrder(int order) {
    openmpt_module_set_position_order_row(module_, order, 0);
}

size_t TOpenMptModule::Render(int frequency, float* stereo, size_t frames) {
    size_t done = 0;
    // libopenmpt renders in pieces; keep asking until the buffer is full or the song ends.
    while (done < frames) {
        const size_t count = openmpt_module_read_interleaved_float_stereo(
            module_, frequency, frames - done, stereo + 2 * done);
        if (count == 0) {
            break;
        }
        done += count;
    }
    return done;
}

int TOpenMptModule::CurrentOrder() const {
    return openmpt_module_get_current_order(module_);
}

} // namespace qz
