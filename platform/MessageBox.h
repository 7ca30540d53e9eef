#pragma once
// The error box with one OK button that the game shows for any error reaching its handler.
// Texts are the game's 8-bit strings (UTF-8 captions pass unchanged).

#include <functional>
#include <string>

struct SDL_Window;

namespace qz {

using TLogSink = std::function<void(const std::string& line)>;

class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    // Returns when the player has closed the box.
    virtual void ShowError(const std::string& message) = 0;
};

// SDL's message box over the game window; stderr when the desktop cannot show one.
class TSdlMessageBox final : public IMessageBox {
public:
    // parent may be null (a box of its own).
    explicit TSdlMessageBox(SDL_Window* parent, std::string title = "Quarzel")
        : parent_(parent), title_(std::move(title)) {}
    void ShowError(const std::string& message) override;

private:
    SDL_Window* parent_;
    std::string title_;
};

// Headless runs: the message goes to stderr and to the log sink (when given).
class THeadlessMessageBox final : public IMessageBox {
public:
    explicit THeadlessMessageBox(TLogSink log = nullptr) : log_(std::move(log)) {}
    void ShowError(const std::string& message) override;

private:
    TLogSink log_;
};

} // namespace qz
