#include "app/InputScript.h"

#include "platform/KeyMap.h"

#include <SDL.h>
#include <algorithm>

namespace qz {

namespace {

std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        size_t j = i;
        while (j < text.size() && text[j] != ' ' && text[j] != '\t')
            ++j;
        if (j > i)
            words.emplace_back(text.substr(i, j - i));
        i = j;
    }
    return words;
}

bool ReadInt(const std::string& word, int32_t& value) {
    const auto parsed = TryStrToInt(word);
    if (parsed)
        value = *parsed;
    return parsed.has_value();
}

std::optional<TMouseButton> ButtonFromName(const std::string& name) {
    if (name == "left")
        return TMouseButton::mbLeft;
    if (name == "right")
        return TMouseButton::mbRight;
    if (name == "middle")
        return TMouseButton::mbMiddle;
    return std::nullopt;
}

// The rest of the line after the first count words.
std::string_view AfterWords(std::string_view line, int count) {
    size_t i = 0;
    for (int w = 0; w < count; ++w) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
    }
    if (i < line.size())
        ++i; // the one blank that separates the action from its text
    return line.substr(i);
}

} // namespace

uint16_t VirtualKeyFromName(const std::string& name) {
    const SDL_Keycode key = SDL_GetKeyFromName(name.c_str());
    if (key == SDLK_UNKNOWN)
        return 0;
    return VirtualKeyFromSdl(key, SDL_GetScancodeFromKey(key));
}

TScriptEvent ParseInputScriptLine(std::string_view line, int32_t lineNumber,
                                  uint32_t previousTick) {
    auto fail = [&](const std::string& what) -> TInputScriptError {
        return TInputScriptError(lineNumber, what);
    };
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    const std::vector<std::string> head = Words(line);
    TScriptEvent event;
    event.Line = lineNumber;
    int32_t tick = 0;
    const bool relative = !head.empty() && head[0].starts_with('+');
    if (head.size() < 2 || !ReadInt(relative ? head[0].substr(1) : head[0], tick) || tick < 0)
        throw fail("expected \"TICK ACTION ...\"");
    const uint64_t due = relative ? uint64_t(previousTick) + uint64_t(tick) : uint64_t(tick);
    if (due > UINT32_MAX)
        throw fail("the tick is beyond the clock's range");
    event.Tick = static_cast<uint32_t>(due);
    const std::string& action = head[1];

    if (action == "text") {
        event.Action = TScriptAction::Text;
        event.Text = std::string(AfterWords(line, 2));
        if (event.Text.empty())
            throw fail("text needs the characters to type");
        return event;
    }

    const size_t hash = line.find('#');
    const std::vector<std::string> words =
        Words(hash == std::string_view::npos ? line : line.substr(0, hash));
    const std::vector<std::string> args(words.begin() + 2, words.end());

    // X Y, or a control name with an optional offset from its top left corner.
    auto readTarget = [&](size_t first, bool optional) {
        const size_t count = args.size() - first;
        if (count == 0 && optional)
            return;
        int32_t x = 0, y = 0;
        int32_t ignored = 0;
        const bool named = count > 0 && !ReadInt(args[first], ignored);
        if (!named && count == 2 && ReadInt(args[first], x) && ReadInt(args[first + 1], y)) {
            event.At = TPoint{x, y};
        } else if (named && !optional && count == 1) {
            event.Control = args[first];
        } else if (named && !optional && count == 3 && ReadInt(args[first + 1], x) &&
                   ReadInt(args[first + 2], y)) {
            event.Control = args[first];
            event.Offset = TPoint{x, y};
        } else {
            throw fail(optional ? "expected X Y" : "expected X Y or a control name");
        }
    };
    auto readKey = [&](TScriptAction kind) {
        event.Action = kind;
        if (args.empty())
            throw fail("expected a key name");
        event.Key = VirtualKeyFromName(args[0]);
        if (event.Key == 0)
            throw fail("unknown key \"" + args[0] + "\"");
        for (size_t i = 1; i < args.size(); ++i) {
            if (args[i] == "shift")
                event.Shift |= ssShift;
            else if (args[i] == "ctrl")
                event.Shift |= ssCtrl;
            else if (args[i] == "alt")
                event.Shift |= ssAlt;
            else
                throw fail("unknown modifier \"" + args[i] + "\"");
        }
    };

    if (action == "move") {
        event.Action = TScriptAction::Move;
        if (args.empty())
            throw fail("expected X Y or a control name");
        readTarget(0, false);
    } else if (action == "down" || action == "up") {
        event.Action = action == "down" ? TScriptAction::Down : TScriptAction::Up;
        if (args.empty())
            throw fail("expected a button");
        const auto button = ButtonFromName(args[0]);
        if (!button)
            throw fail("unknown button \"" + args[0] + "\"");
        event.Button = *button;
        readTarget(1, true);
    } else if (action == "click" || action == "dblclick") {
        event.Action = action == "click" ? TScriptAction::Click : TScriptAction::DblClick;
        size_t first = 0;
        if (!args.empty()) {
            if (const auto button = ButtonFromName(args[0])) {
                event.Button = *button;
                first = 1;
            }
        }
        if (args.size() <= first)
            throw fail("expected X Y or a control name");
        readTarget(first, false);
    } else if (action == "wheel") {
        event.Action = TScriptAction::Wheel;
        int32_t notches = 0;
        if (args.size() != 1 || !ReadInt(args[0], notches))
            throw fail("expected the wheel notches");
        event.WheelDelta = notches * WheelDeltaPerNotch;
    } else if (action == "key") {
        readKey(TScriptAction::Key);
    } else if (action == "keydown") {
        readKey(TScriptAction::KeyDown);
    } else if (action == "keyup") {
        readKey(TScriptAction::KeyUp);
    } else if (action == "focus") {
        if (args.size() == 1 && args[0] == "lost")
            event.Action = TScriptAction::FocusLost;
        else if (args.size() == 1 && args[0] == "gained")
            event.Action = TScriptAction::FocusGained;
        else
            throw fail("expected \"focus lost\" or \"focus gained\"");
    } else if (action == "screenshot") {
        event.Action = TScriptAction::Screenshot;
        if (args.size() != 1)
            throw fail("expected one file name");
        event.Text = args[0];
    } else if (action == "quit") {
        event.Action = TScriptAction::Quit;
        if (!args.empty())
            throw fail("quit takes nothing");
    } else if (action == "botput" || action == "botaim" || action == "botkeys" ||
               action == "report") {
        event.Action = action == "botput"    ? TScriptAction::BotPut
                       : action == "botaim"  ? TScriptAction::BotAim
                       : action == "botkeys" ? TScriptAction::BotKeys
                                             : TScriptAction::Report;
        if (!args.empty())
            throw fail(action + " takes nothing");
    } else if (action == "remember") {
        event.Action = TScriptAction::Remember;
        if (args.empty())
            throw fail("remember needs what to remember");
        event.Subject = args;
    } else if (action == "expect") {
        event.Action = TScriptAction::Expect;
        static const std::vector<std::string> operators{"=", "!=", "<", ">", "<=", ">=", "~"};
        const auto op =
            std::find_first_of(args.begin(), args.end(), operators.begin(), operators.end());
        if (op == args.begin() || op == args.end())
            throw fail("expected \"expect WHAT OPERATOR VALUE\"");
        event.Subject.assign(args.begin(), op);
        event.Operator = *op;
        const auto words = static_cast<int>(op - args.begin()) + 3;
        event.Text = Trim(std::string(
            AfterWords(hash == std::string_view::npos ? line : line.substr(0, hash), words)));
    } else {
        throw fail("unknown action \"" + action + "\"");
    }
    return event;
}

std::vector<TScriptEvent> ParseInputScript(std::string_view text) {
    std::vector<TScriptEvent> events;
    int32_t lineNumber = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(start, end - start);
        ++lineNumber;
        const std::string trimmed = Trim(line);
        if (!trimmed.empty() && trimmed[0] != '#')
            events.push_back(
                ParseInputScriptLine(line, lineNumber, events.empty() ? 0 : events.back().Tick));
        start = end + 1;
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const TScriptEvent& a, const TScriptEvent& b) { return a.Tick < b.Tick; });
    return events;
}

TPoint TScriptInput::Target(const TScriptEvent& event) {
    if (event.At)
        pointer_ = *event.At;
    else if (!event.Control.empty()) {
        const auto bounds = locator_ ? locator_(event.Control) : std::nullopt;
        if (!bounds)
            throw TInputScriptError(event.Line, "no control named \"" + event.Control + "\"");
        pointer_ = event.Offset
                       ? TPoint{bounds->Left + event.Offset->X, bounds->Top + event.Offset->Y}
                       : TPoint{bounds->Left + (bounds->Right - bounds->Left + 1) / 2,
                                bounds->Top + (bounds->Bottom - bounds->Top + 1) / 2};
    }
    return pointer_;
}

std::vector<TInputEvent> TScriptInput::Translate(const TScriptEvent& event) {
    std::vector<TInputEvent> out;
    switch (event.Action) {
    case TScriptAction::Move: {
        const TPoint p = Target(event);
        out.push_back(TInputEvent::MouseMove(p.X, p.Y, buttons_));
        break;
    }
    case TScriptAction::Down:
    case TScriptAction::Up: {
        const TPoint before = pointer_;
        const TPoint p = Target(event);
        if (p.X != before.X || p.Y != before.Y)
            out.push_back(TInputEvent::MouseMove(p.X, p.Y, buttons_));
        out.push_back(event.Action == TScriptAction::Down
                          ? TInputEvent::MouseDown(event.Button, p.X, p.Y, buttons_)
                          : TInputEvent::MouseUp(event.Button, p.X, p.Y, buttons_));
        buttons_ = out.back().Shift;
        break;
    }
    case TScriptAction::Click:
    case TScriptAction::DblClick: {
        const TPoint p = Target(event);
        out.push_back(TInputEvent::MouseMove(p.X, p.Y, buttons_));
        out.push_back(TInputEvent::MouseDown(event.Button, p.X, p.Y, buttons_));
        out.push_back(TInputEvent::MouseUp(event.Button, p.X, p.Y, buttons_));
        if (event.Action == TScriptAction::DblClick) {
            out.push_back(TInputEvent::MouseDown(event.Button, p.X, p.Y, buttons_, true));
            out.push_back(TInputEvent::MouseUp(event.Button, p.X, p.Y, buttons_));
        }
        break;
    }
    case TScriptAction::Wheel:
        out.push_back(TInputEvent::MouseWheel(event.WheelDelta, pointer_.X, pointer_.Y, buttons_));
        break;
    case TScriptAction::Key:
    case TScriptAction::KeyDown:
    case TScriptAction::KeyUp:
        if (event.Action != TScriptAction::KeyUp)
            out.push_back(TInputEvent::KeyDown(event.Key, event.Shift));
        if (event.Action != TScriptAction::KeyDown)
            out.push_back(TInputEvent::KeyUp(event.Key, event.Shift));
        if (event.Action == TScriptAction::Key) {
            if (const char c = ControlCharacterForKey(event.Key, event.Shift))
                out.push_back(TInputEvent::Typed(std::string(1, c)));
        }
        break;
    case TScriptAction::Text:
        out.push_back(TInputEvent::Typed(event.Text));
        break;
    case TScriptAction::FocusLost:
        out.push_back(TInputEvent::FocusLost());
        break;
    case TScriptAction::FocusGained:
        out.push_back(TInputEvent::FocusGained());
        break;
    case TScriptAction::Screenshot:
    case TScriptAction::Quit:
    case TScriptAction::Expect:
    case TScriptAction::BotPut:
    case TScriptAction::BotAim:
    case TScriptAction::BotKeys:
    case TScriptAction::Report:
    case TScriptAction::Remember:
        break;
    }
    return out;
}

} // namespace qz
