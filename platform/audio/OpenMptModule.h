#pragma once
// A tracker module played by libopenmpt, looping for ever.

#include "platform/audio/AudioMixer.h"

#include <memory>

struct openmpt_module;

namespace qz {

class TOpenMptModule final : public TModuleSource {
public:
    // Null when libopenmpt cannot read the bytes as any module format.
    static std::unique_ptr<TOpenMptModule> Create(const void* bytes, size_t length);
    ~TOpenMptModule() override;
    TOpenMptModule(const TOpenMptModule&) = delete;
    TOpenMptModule& operator=(const TOpenMptModule&) = delete;

    void SetOrder(int order) override;
    size_t Render(int frequency, float* stereo, size_t frames) override;
    int CurrentOrder() const;

private:
    explicit TOpenMptModule(openmpt_module* module) : module_(module) {}
    openmpt_module* module_;
};

} // namespace qz
