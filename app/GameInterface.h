#pragma once
// What the main window needs of the interface engine: loading the interface description,
// the window stack, drawing the open windows, input routing, properties by name and where a
// control stands. TEmptyInterface is the interface of a game whose description is absent:
// it knows no windows and no controls and takes no input.

#include "archive/Helpers.h"
#include "platform/InputEvent.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qz {

class INyxGraphic;
class TMemoryStream;
class TNyxFontEngine;

class IGameInterface {
public:
    virtual ~IGameInterface() = default;

    // The host draws and plays sounds for the engine; the font engine draws its texts.
    virtual void SetHost(std::shared_ptr<INyxGraphic> host, TNyxFontEngine& fonts) = 0;
    // Reads an interface description; errors reach the caller, also a structural error that
    // ended the object creation part-way.
    virtual void LoadFromStream(const TMemoryStream& stream) = 0;
    // Removes every window and control.
    virtual void Clear() = 0;
    // A main-window handler that scripts call by name (ASCII case ignored); it stays
    // registered across reloads.
    virtual void RegisterHandler(std::string_view name, std::function<void()> handler) = 0;

    virtual void ShowWindow(std::string_view name) = 0;
    virtual void CloseWindow(std::string_view name) = 0;
    virtual void CloseAllWindows() = 0;
    // The window on top of the stack, empty when none is open.
    virtual std::string TopWindow() const = 0;
    virtual std::vector<std::string> OpenWindows() const = 0;

    // Every open window in the order opened, each with its visible controls; hints only
    // when asked.
    virtual void DrawWindows(bool withHints) = 0;
    // The hints of the top window.
    virtual void DrawHints() = 0;

    // Hands an event to the top window; true when a control took it.
    virtual bool HandleInput(const TInputEvent& event) = 0;

    virtual void SetProperty(std::string_view object, std::string_view property,
                             std::string_view value) = 0;
    virtual std::optional<std::string> GetProperty(std::string_view object,
                                                   std::string_view property) const = 0;
    // The screen rectangle of a control or window, inclusive on all sides.
    virtual std::optional<TRect> ControlBounds(std::string_view name) const = 0;

    // Gives back the texts an earlier property-modification file replaced, then applies
    // the file (a language); conversion errors reach the caller.
    virtual void ApplyPropertiesFile(const std::string& fileName) = 0;
    // A new control of that class in the window, a copy of templateName when one is given
    // (the copy then takes the template's class); false when the name is taken, the class
    // or the template is unknown, or the window does not exist.
    virtual bool CreateControl(std::string_view className, std::string_view name,
                               std::string_view window, std::string_view templateName) = 0;
    // The window's controls in their order, each as its name and class name.
    virtual std::vector<std::pair<std::string, std::string>>
    WindowControls(std::string_view window) const = 0;
    // Empties a grid's data rows; the text of its selected cell.
    virtual void ClearGrid(std::string_view grid) = 0;
    virtual std::string GridSelectedText(std::string_view grid) const = 0;
    // The control whose script is running (the one that called a handler), empty when none.
    virtual std::string SenderName() const = 0;
    // Shows a hint of the top window, next to the point when one is given. A window shows
    // one hint at a time: a new one replaces the one shown once that has stood a few
    // seconds, and waits for that until then.
    virtual void ShowHint(std::string_view hint, std::optional<TPoint> at) = 0;
    // A tool tip: a hint shown next to the point at once, hiding the tool tip shown before.
    // The hints that take turns neither wait for it nor replace it.
    virtual void ShowToolTip(std::string_view hint, TPoint at) = 0;
    virtual void HideToolTip() = 0;
};

class TEmptyInterface final : public IGameInterface {
public:
    void SetHost(std::shared_ptr<INyxGraphic>, TNyxFontEngine&) override {}
    void LoadFromStream(const TMemoryStream&) override {}
    void Clear() override {}
    void RegisterHandler(std::string_view, std::function<void()>) override {}
    void ShowWindow(std::string_view) override {}
    void CloseWindow(std::string_view) override {}
    void CloseAllWindows() override {}
    std::string TopWindow() const override { return {}; }
    std::vector<std::string> OpenWindows() const override { return {}; }
    void DrawWindows(bool) override {}
    void DrawHints() override {}
    bool HandleInput(const TInputEvent&) override { return false; }
    void SetProperty(std::string_view, std::string_view, std::string_view) override {}
    std::optional<std::string> GetProperty(std::string_view, std::string_view) const override {
        return std::nullopt;
    }
    std::optional<TRect> ControlBounds(std::string_view) const override { return std::nullopt; }
    void ApplyPropertiesFile(const std::string&) override {}
    bool CreateControl(std::string_view, std::string_view, std::string_view,
                       std::string_view) override {
        return false;
    }
    std::vector<std::pair<std::string, std::string>>
    WindowControls(std::string_view) const override {
        return {};
    }
    void ClearGrid(std::string_view) override {}
    std::string GridSelectedText(std::string_view) const override { return {}; }
    std::string SenderName() const override { return {}; }
    void ShowHint(std::string_view, std::optional<TPoint>) override {}
    void ShowToolTip(std::string_view, TPoint) override {}
    void HideToolTip() override {}
};

} // namespace qz
