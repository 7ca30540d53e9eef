#pragma once
// The input script of headless runs: one timed event per line, "TICK ACTION ARGS", TICK in
// milliseconds of the run's clock or "+N", N after the line before; "#" starts a comment
// (except in the text of "text"). Pointer events may aim at an interface control by name;
// the name is looked up when the event comes due, so scripts survive layout changes.
// "expect" lines check the game's state as the run goes ("remember" keeps a value for a later
// expect to compare with), "report" prints it (for writing scripts), "botput" makes the put
// a bot would make through the real input.

#include "archive/Helpers.h"
#include "platform/InputEvent.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

enum class TScriptAction : uint8_t {
    Move,
    Down,
    Up,
    Click,
    DblClick,
    Wheel,
    Key,
    KeyDown,
    KeyUp,
    Text,
    FocusLost,
    FocusGained,
    Screenshot,
    Quit,
    Expect,
    BotPut,
    BotAim,
    BotKeys,
    Report,
    Remember,
};

struct TScriptEvent {
    uint32_t Tick = 0;
    TScriptAction Action = TScriptAction::Move;
    int32_t Line = 0;
    std::optional<TPoint> At;     // a pointer position given as X Y
    std::string Control;          // a pointer position given as a control name: its centre,
    std::optional<TPoint> Offset; // or this far from its top left corner ("NAME DX DY")
    TMouseButton Button = TMouseButton::mbLeft;
    int32_t WheelDelta = 0; // in wheel units (notches x WheelDeltaPerNotch)
    uint16_t Key = 0;
    TShiftState Shift = 0;
    std::string Text; // typed text, the screenshot file, or the value an expect wants
    // expect: what is looked at ("top", "property WGame_LScoreCount Caption" ...) and how
    // its value compares with Text ("=", "!=", "<", ">", "<=", ">=", or "~" for contains).
    std::vector<std::string> Subject;
    std::string Operator;
};

// A line that cannot be read; Line counts from 1.
class TInputScriptError : public std::runtime_error {
public:
    TInputScriptError(int32_t line, const std::string& what)
        : std::runtime_error("input script line " + std::to_string(line) + ": " + what),
          Line(line) {}
    int32_t Line;
};

// The events in tick order (events of one tick keep the order of their lines).
std::vector<TScriptEvent> ParseInputScript(std::string_view text);
// previousTick: what "+N" counts from.
TScriptEvent ParseInputScriptLine(std::string_view line, int32_t lineNumber,
                                  uint32_t previousTick = 0);
// The virtual key of an SDL key name ("F2", "Escape", "Space", "A"), 0 when unknown.
uint16_t VirtualKeyFromName(const std::string& name);

// Where a control stands now (inclusive on all sides); nothing when there is no such control.
using TControlLocator = std::function<std::optional<TRect>(const std::string& name)>;

// Turns script events into window input. It remembers the pointer, so that a press
// without coordinates happens where the pointer is.
class TScriptInput {
public:
    explicit TScriptInput(TControlLocator locator) : locator_(std::move(locator)) {}

    // The input events of one pointer, wheel, key or text action (none for the others).
    // Raises TInputScriptError when a named control does not exist.
    std::vector<TInputEvent> Translate(const TScriptEvent& event);
    TPoint Pointer() const { return pointer_; }

private:
    TPoint Target(const TScriptEvent& event);

    TControlLocator locator_;
    TPoint pointer_;
    TShiftState buttons_ = 0; // held by "down" lines until their "up", carried by moves
};

} // namespace qz
