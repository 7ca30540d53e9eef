#pragma once
// The 8-bit text clipboard of the edit control. The desktop's clipboard holds UTF-8; the
// text is converted at this edge (characters without an 8-bit form become "?").

#include <string>

namespace qz {

class IClipboard {
public:
    virtual ~IClipboard() = default;
    virtual std::string GetText() = 0;
    virtual void SetText(const std::string& text) = 0;
};

class TSdlClipboard final : public IClipboard {
public:
    TSdlClipboard();
    ~TSdlClipboard() override;
    TSdlClipboard(const TSdlClipboard&) = delete;
    TSdlClipboard& operator=(const TSdlClipboard&) = delete;

    std::string GetText() override;
    void SetText(const std::string& text) override;

private:
    bool videoStarted_ = false;
};

// A clipboard of the program's own, for headless runs and tests.
class TMemoryClipboard final : public IClipboard {
public:
    std::string GetText() override { return text_; }
    void SetText(const std::string& text) override { text_ = text; }

private:
    std::string text_;
};

} // namespace qz
