#include "app/ScriptChecks.h"

#include "app/Form1.h"
#include "app/KeyboardPlay.h"
#include "archive/KeyCodes.h"
#include "audio/Music.h"
#include "game/LevelBot.h"
#include "game/PieceGraphics.h"
#include "game/SavedGame.h"
#include "gfx/SurfEngine.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace qz {

namespace {

std::string StateName(int32_t state) {
    switch (state) {
    case gsGamePlay:
        return "gsGamePlay";
    case gsGameOver:
        return "gsGameOver";
    case gsBetweenLevels:
        return "gsBetweenLevels";
    case gsGameMenu:
        return "gsGameMenu";
    case gsTitle:
        return "gsTitle";
    case gsIntro:
        return "gsIntro";
    case gsGameFinished:
        return "gsGameFinished";
    default:
        return std::to_string(state);
    }
}

std::string Joined(const std::vector<std::string>& names) {
    if (names.empty())
        return "none";
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ",") + name;
    return text;
}

std::optional<std::string> FileBytes(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool HasPixels(TSurfEngine& engine, const std::string& name) {
    const TSurface* surface = engine.FindSurface(name);
    return surface && surface->Surface;
}

// Crystal and colour bonus pictures that the board would need and cannot draw.
int32_t MissingPieces(const TForm1& form) {
    if (!form.SurfEngine)
        return 0;
    int32_t missing = 0;
    for (const TFishkaType& type : form.Defs.FishkaTypes)
        missing += HasPixels(*form.SurfEngine, type.Image) ? 0 : 1;
    for (size_t k = 0; k < form.Defs.FishkaColors.size(); ++k)
        for (const std::string& name : {ColorBombName(k), ColorStarName(k)})
            missing += HasPixels(*form.SurfEngine, name) ? 0 : 1;
    return missing;
}

std::string VisibleHint(const TForm1& form) {
    const std::string top = form.Interface->TopWindow();
    for (const auto& [name, className] : form.Interface->WindowControls(top))
        if (className == "TNyxHint" &&
            SameText(form.Interface->GetProperty(name, "Visible").value_or(""), "true"))
            return name;
    return "none";
}

int32_t CrystalsOnBoard(const TBoard& board) {
    if (!board.HasLayer())
        return 0;
    return static_cast<int32_t>(
        std::count_if(board.Layer().Fishkas.begin(), board.Layer().Fishkas.end(),
                      [](const TFishka& f) { return f.State == fsOnBoard; }));
}

} // namespace

std::optional<std::string> SubjectValue(const TForm1& form, const TRunFacts& facts,
                                        const std::vector<std::string>& subject) {
    const std::string& what = subject.front();
    const size_t args = subject.size() - 1;
    const TGame& game = form.Game;
    const auto number = [](int64_t value) { return std::to_string(value); };
    if (args == 0) {
        if (what == "state")
            return StateName(game.GameState);
        if (what == "top") {
            const std::string top = form.Interface->TopWindow();
            return top.empty() ? "none" : top;
        }
        if (what == "windows")
            return Joined(form.Interface->OpenWindows());
        if (what == "hint")
            return VisibleHint(form);
        if (what == "mode")
            return number(game.Mode);
        if (what == "level")
            return number(game.LevelNumber);
        if (what == "score")
            return number(game.Score);
        if (what == "prevscore")
            return number(game.PrevScore);
        if (what == "shifts")
            return number(game.Shifts);
        if (what == "shuffles")
            return number(game.Shuffles);
        if (what == "putsleft")
            return number(form.Level.PutLeft);
        if (what == "deadline")
            return number(game.CurrentY);
        if (what == "crystals")
            return number(CrystalsOnBoard(*form.Board));
        if (what == "layer")
            return number(form.Level.LayerIndex);
        if (what == "preview")
            return number(static_cast<int64_t>(form.Level.HoverFrags.size()));
        if (what == "breaks")
            return number(static_cast<int64_t>(form.Board->PutOutcome.Breaks.size()));
        if (what == "falls")
            return number(static_cast<int64_t>(form.Board->PutOutcome.Falls.size()));
        if (what == "bosses")
            return number(static_cast<int64_t>(form.Level.Bosses.size()));
        if (what == "queue")
            return number(static_cast<int64_t>(game.Queue.size()));
        if (what == "inhand")
            return game.InHand >= 0 && form.Board->HasLayer()
                       ? form.Defs
                             .FishkaTypes[static_cast<size_t>(
                                 form.Board->Fishka(game.InHand).FType)]
                             .Name
                       : std::string("none");
        if (what == "fullscreen")
            return number(form.Options.FullScreenMode);
        if (what == "depth")
            return number(form.SurfEngine ? form.SurfEngine->PixelFormat.BitCount : 0);
        if (what == "music") {
            const std::string music = form.MusicList ? form.MusicList->CurrentMusic() : "";
            return music.empty() ? "none" : music;
        }
        if (what == "language")
            return form.LanguageCode;
        if (what == "missingpictures")
            return number(MissingPieces(form));
        if (what == "messages")
            return number(facts.Messages);
        if (what == "message")
            return facts.Messages == 0 ? "none" : facts.LastMessage;
        if (what == "log")
            return FileBytes(form.Log.FileName()).value_or("");
    }
    // A file's name may hold blanks: every word after "file" is part of it.
    if (what == "file" && args >= 1) {
        std::string path = subject[1];
        for (size_t i = 2; i < subject.size(); ++i)
            path += " " + subject[i];
        return FileBytes(form.UserPath(path)) ? "exists" : "missing";
    }
    if (args == 1) {
        const std::string& arg = subject[1];
        if (what == "savedboard") {
            const auto bytes = FileBytes(form.UserPath(arg));
            return bytes && *bytes == GameSaveText(*form.Board) ? "same" : "different";
        }
        if (what == "played") {
            const auto found = form.PlayedSounds.find(arg);
            return number(found == form.PlayedSounds.end() ? 0 : found->second);
        }
    }
    if (args == 2) {
        if (what == "property")
            return form.Interface->GetProperty(subject[1], subject[2]);
        if (what == "same") {
            const auto a = FileBytes(form.UserPath(subject[1]));
            const auto b = FileBytes(form.UserPath(subject[2]));
            return a && b && *a == *b ? "true" : "false";
        }
    }
    return std::nullopt;
}

std::string StateReport(const TForm1& form, const TRunFacts& facts) {
    std::string line;
    for (const char* subject :
         {"state", "top", "windows", "hint", "mode", "level", "score", "shifts", "shuffles",
          "putsleft", "layer", "crystals", "bosses", "inhand", "queue", "music", "messages"})
        line += std::string(line.empty() ? "" : " ") + subject + "=" +
                SubjectValue(form, facts, {subject}).value_or("?");
    return line;
}

std::string SubjectName(const std::vector<std::string>& subject) {
    std::string name;
    for (const std::string& word : subject)
        name += (name.empty() ? "" : " ") + word;
    return name;
}

std::optional<std::string> FailedExpectation(const TForm1& form, const TRunFacts& facts,
                                             const TScriptEvent& expect) {
    const std::string what = SubjectName(expect.Subject);
    const std::optional<std::string> found = SubjectValue(form, facts, expect.Subject);
    if (!found)
        return "nothing to look at named \"" + what + "\"";
    std::string wanted = expect.Text;
    if (wanted == "remembered") {
        const auto kept = facts.Remembered.find(what);
        if (kept == facts.Remembered.end())
            return "no remember line kept " + what;
        wanted = kept->second;
    }
    const std::string& op = expect.Operator;
    bool holds = false;
    const auto a = TryStrToInt64(*found);
    const auto b = TryStrToInt64(wanted);
    if (op == "~") {
        holds = found->find(wanted) != std::string::npos;
    } else if (a && b) {
        holds = op == "="    ? *a == *b
                : op == "!=" ? *a != *b
                : op == "<"  ? *a < *b
                : op == ">"  ? *a > *b
                : op == "<=" ? *a <= *b
                             : *a >= *b;
    } else if (op == "=" || op == "!=") {
        holds = (*found == wanted) == (op == "=");
    } else {
        return what + " is \"" + *found + "\", which does not compare with " + op + " " + wanted;
    }
    if (holds)
        return std::nullopt;
    return "expected " + what + " " + op + " " + wanted + ", found " + *found;
}

std::vector<TScriptEvent> BotPutLines(TForm1& form, const TScriptEvent& line) {
    TBoard& board = *form.Board;
    if (form.Game.GameState != gsGamePlay || !board.HasLayer() || form.Game.InHand < 0)
        return {};
    // The bot tries its puts on a copy that shows, sounds and records nothing.
    TQuietServices quiet;
    TBoard trial(form.Defs, TGameServices{quiet, quiet, quiet, form.GameClock, form.GamePictures});
    trial.Level = board.Level;
    trial.Game = board.Game;
    trial.DrawOrder = board.DrawOrder;
    trial.RefreshPictureSizes();
    const std::optional<TBotMove> move = ChooseMove(trial);
    if (!move)
        return {};
    const int32_t start = board.Fishka(form.Game.InHand).FType;
    const TIntegers turns = form.Defs.RotationsOf(start);
    const int32_t type = turns[static_cast<size_t>(move->Rotations) % turns.size()];
    std::vector<TScriptEvent> lines;
    if (line.Action == TScriptAction::BotKeys) {
        // As a keyboard player: turned first, then stepped from place to place.
        TScriptEvent key = line;
        key.Action = TScriptAction::Key;
        key.Shift = 0;
        key.Key = 'X';
        lines.insert(lines.end(), static_cast<size_t>(move->Rotations), key);
        trial.Fishka(form.Game.InHand).FType = type;
        TPoints places;
        for (const int32_t frag : trial.PutPlaces())
            places.push_back(trial.PointerFor(type, frag));
        const std::optional<std::vector<uint16_t>> arrows =
            ArrowsTo(places, TPoint{form.Game.PointerX, form.Game.PointerY},
                     board.PointerFor(type, move->Frag));
        if (!arrows)
            return {};
        for (const uint16_t arrow : *arrows) {
            key.Key = arrow;
            lines.push_back(key);
        }
        key.Key = vkReturn;
        lines.push_back(key);
        return lines;
    }
    TScriptEvent click = line;
    click.Action = TScriptAction::Click;
    click.Button = TMouseButton::mbRight;
    click.At = TPoint{form.Game.PointerX, form.Game.PointerY};
    for (int32_t r = 0; r < move->Rotations; ++r)
        lines.push_back(click);
    click.Action =
        line.Action == TScriptAction::BotAim ? TScriptAction::Move : TScriptAction::Click;
    click.Button = TMouseButton::mbLeft;
    click.At = board.PointerFor(type, move->Frag);
    lines.push_back(click);
    return lines;
}

} // namespace qz
