#pragma once
// The game's interface over the interface engine: the windows and controls of the
// description "Slider.li", with the main window as the engine's host.

#include "app/GameInterface.h"

#include <functional>
#include <memory>
#include <optional>

namespace qz {

class IClipboard;
class TNyxHint;
class TNyxInterfaceEngine;

class TNyxGameInterface final : public IGameInterface {
public:
    // ticks: the frame clock; clipboard: null keeps an internal buffer.
    TNyxGameInterface(std::function<uint32_t()> ticks, IClipboard* clipboard);
    ~TNyxGameInterface() override;
    TNyxGameInterface(const TNyxGameInterface&) = delete;
    TNyxGameInterface& operator=(const TNyxGameInterface&) = delete;

    void SetHost(std::shared_ptr<INyxGraphic> host, TNyxFontEngine& fonts) override;
    void LoadFromStream(const TMemoryStream& stream) override;
    void Clear() override;
    void RegisterHandler(std::string_view name, std::function<void()> handler) override;

    void ShowWindow(std::string_view name) override;
    void CloseWindow(std::string_view name) override;
    void CloseAllWindows() override;
    std::string TopWindow() const override;
    std::vector<std::string> OpenWindows() const override;

    void DrawWindows(bool withHints) override;
    void DrawHints() override;

    // Mouse events are taken when a visible control of the top window is under the
    // pointer, keys when a control used them up, the wheel when a control handled it.
    bool HandleInput(const TInputEvent& event) override;

    // An unknown object changes nothing; a bad value raises the engine's error.
    void SetProperty(std::string_view object, std::string_view property,
                     std::string_view value) override;
    std::optional<std::string> GetProperty(std::string_view object,
                                           std::string_view property) const override;
    std::optional<TRect> ControlBounds(std::string_view name) const override;
    void ApplyPropertiesFile(const std::string& fileName) override;
    bool CreateControl(std::string_view className, std::string_view name, std::string_view window,
                       std::string_view templateName) override;
    std::vector<std::pair<std::string, std::string>>
    WindowControls(std::string_view window) const override;
    void ClearGrid(std::string_view grid) override;
    std::string GridSelectedText(std::string_view grid) const override;
    std::string SenderName() const override;
    void ShowHint(std::string_view hint, std::optional<TPoint> at) override;
    void ShowToolTip(std::string_view hint, TPoint at) override;
    void HideToolTip() override;

    TNyxInterfaceEngine& Engine() { return *engine_; }

    // How long a hint stands before another one may replace it.
    static constexpr uint32_t HintReadingTime = 3000;

private:
    struct TPendingHint {
        std::string Name;
        std::optional<TPoint> At;
    };
    bool OverTopWindowControl(int32_t x, int32_t y) const;
    // A visible hint of the same window as hint, other than it and the tool tip.
    TNyxHint* ShownHintBeside(std::string_view hint) const;

    std::unique_ptr<TNyxInterfaceEngine> engine_;
    std::optional<TPendingHint> pendingHint_; // the hint that waits for the shown one
    std::string toolTip_;                     // the hint last shown as a tool tip
};

} // namespace qz
