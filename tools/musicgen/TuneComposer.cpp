#include "tools/musicgen/TuneComposer.h"

#include "archive/Random.h"
#include "tools/musicgen/XmInstruments.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <map>
#include <sstream>
#include <stdexcept>

namespace qz {

namespace {

constexpr int32_t kBarRows = 16;
constexpr int32_t kBars = 4;
constexpr int32_t kPatternRows = kBarRows * kBars;
constexpr int32_t kEchoDelay = 3; // rows

// Instruments in module order; pattern cells name them 1-based.
enum TTuneInstrument : uint8_t { tiPad = 1, tiBass, tiLead, tiPluck, tiKick, tiSnare, tiHat };

constexpr uint8_t kChannelPan[chCount] = {0x70, 0xB0, 0x50, 0x60, 0x80,
                                          0xA0, 0x80, 0x80, 0x78, 0x98};

struct TChord {
    int32_t Root = 0;               // pitch class
    std::vector<int32_t> Intervals; // semitones above the root
};

struct TGroove {
    std::string Kick, Snare, Hat, Bass, Arp; // steps, repeated over the pattern
};

enum class TMelody { None, Calm, Flowing };

struct TSection {
    std::string Name;
    std::vector<TChord> Chords; // one per bar
    std::string Groove;
    TMelody Melody = TMelody::None;
    bool Pad = true;
};

[[noreturn]] void Fail(size_t line, const std::string& message) {
    throw std::runtime_error("line " + std::to_string(line) + ": " + message);
}

int32_t ParseInt(std::string_view text, size_t line) {
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        Fail(line, "bad number \"" + std::string(text) + "\"");
    }
    return value;
}

int32_t PitchClass(std::string_view& text, size_t line) {
    static constexpr int32_t kNatural[] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    if (text.empty() || text[0] < 'A' || text[0] > 'G') {
        Fail(line, "bad note name \"" + std::string(text) + "\"");
    }
    int32_t pc = kNatural[text[0] - 'A'];
    text.remove_prefix(1);
    if (!text.empty() && (text[0] == '#' || text[0] == 'b')) {
        pc += text[0] == '#' ? 1 : -1;
        text.remove_prefix(1);
    }
    return (pc + 12) % 12;
}

TChord ParseChord(std::string_view text, size_t line) {
    static const std::map<std::string, std::vector<int32_t>, std::less<>> kQualities = {
        {"", {0, 4, 7}},       {"m", {0, 3, 7}},        {"7", {0, 4, 7, 10}},
        {"m7", {0, 3, 7, 10}}, {"maj7", {0, 4, 7, 11}}, {"sus2", {0, 2, 7}},
        {"sus4", {0, 5, 7}},   {"add9", {0, 4, 7, 14}}, {"m9", {0, 3, 7, 10, 14}}};
    const std::string whole(text);
    TChord chord;
    chord.Root = PitchClass(text, line);
    const auto quality = kQualities.find(text);
    if (quality == kQualities.end()) {
        Fail(line, "unknown chord \"" + whole + "\"");
    }
    chord.Intervals = quality->second;
    return chord;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find(separator, start), text.size());
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

void CheckSteps(const std::string& steps, std::string_view allowed, size_t line) {
    if (!steps.empty() && kPatternRows % static_cast<int32_t>(steps.size()) != 0) {
        Fail(line, "a step pattern must have 1, 2, 4, 8, 16, 32 or 64 steps");
    }
    for (const char step : steps) {
        if (allowed.find(step) == std::string_view::npos) {
            Fail(line, std::string("unknown step '") + step + "'");
        }
    }
}

uint8_t Vol(int32_t volume) {
    return static_cast<uint8_t>(0x10 + std::clamp(volume, 0, 64));
}

// XM note 49 is C-4, which the instruments tune to middle C (MIDI 60).
uint8_t XmNote(int32_t midi) {
    return static_cast<uint8_t>(std::clamp(midi - 11, 1, 96));
}

class TComposer {
public:
    TXmPattern Compose(const TSection& section, const TGroove* groove, uint64_t seed) {
        pattern_ = TXmPattern{};
        pattern_.Rows = kPatternRows;
        pattern_.Cells.assign(static_cast<size_t>(kPatternRows) * chCount, TXmCell{});
        ComposePad(section);
        ComposeGroove(section, groove);
        ComposeMelody(section, seed);
        return std::move(pattern_);
    }

    std::vector<int32_t> Scale; // MIDI notes of the key over the melody range

private:
    TXmCell& Cell(int32_t row, int32_t channel) {
        return pattern_.Cells[static_cast<size_t>(row) * chCount + channel];
    }

    void Note(int32_t row, int32_t channel, int32_t midi, uint8_t instrument, int32_t volume) {
        TXmCell& cell = Cell(row, channel);
        cell.Note = XmNote(midi);
        cell.Instrument = instrument;
        cell.Volume = Vol(volume);
        cell.Effect = 0x08; // set panning
        cell.Param = kChannelPan[channel];
    }

    void KeyOff(int32_t row, int32_t channel) {
        TXmCell& cell = Cell(row, channel);
        cell = TXmCell{};
        cell.Note = kXmKeyOff;
    }

    // Close voicings near middle C, each bar's chord the inversion that moves least.
    void ComposePad(const TSection& section) {
        std::vector<int32_t> previous{57, 60, 64};
        for (int32_t bar = 0; bar < kBars; ++bar) {
            const int32_t row = bar * kBarRows;
            if (!section.Pad) {
                for (int32_t channel = chPad1; channel <= chPad3; ++channel) {
                    KeyOff(row, channel);
                }
                continue;
            }
            const TChord& chord = section.Chords[static_cast<size_t>(bar)];
            // Three voices: root, third and the seventh if there is one, else the fifth.
            std::vector<int32_t> tones{chord.Intervals[0], chord.Intervals[1],
                                       chord.Intervals.size() > 3 ? chord.Intervals[3]
                                                                  : chord.Intervals[2]};
            std::vector<int32_t> best;
            int32_t bestCost = 1 << 30;
            for (int32_t inversion = 0; inversion < 3; ++inversion) {
                for (int32_t base = 48; base <= 64; ++base) {
                    if ((base - chord.Root - tones[static_cast<size_t>(inversion)] + 120) % 12 !=
                        0) {
                        continue;
                    }
                    std::vector<int32_t> voicing;
                    int32_t note = base;
                    for (int32_t k = 0; k < 3; ++k) {
                        const int32_t pc =
                            (chord.Root + tones[static_cast<size_t>((inversion + k) % 3)]) % 12;
                        while ((note % 12) != pc) {
                            ++note;
                        }
                        voicing.push_back(note);
                        ++note;
                    }
                    int32_t cost = 0;
                    for (size_t k = 0; k < 3; ++k) {
                        cost += std::abs(voicing[k] - previous[k]);
                    }
                    if (voicing[2] <= 72 && cost < bestCost) {
                        bestCost = cost;
                        best = voicing;
                    }
                }
            }
            for (int32_t k = 0; k < 3; ++k) {
                Note(row, chPad1 + k, best[static_cast<size_t>(k)], tiPad, 24);
            }
            previous = best;
        }
    }

    void ComposeGroove(const TSection& section, const TGroove* groove) {
        for (int32_t row = 0; row < kPatternRows; ++row) {
            const TChord& chord = section.Chords[static_cast<size_t>(row / kBarRows)];
            const auto step = [&](const std::string& steps) {
                return steps.empty() ? '.' : steps[static_cast<size_t>(row) % steps.size()];
            };
            if (groove == nullptr) {
                if (row % kBarRows == 0) {
                    KeyOff(row, chBass);
                    KeyOff(row, chArp);
                }
                continue;
            }
            const auto drum = [&](char symbol, int32_t channel, uint8_t instrument, int32_t loud) {
                if (symbol == 'X') {
                    Note(row, channel, 60, instrument, loud);
                } else if (symbol == 'x') {
                    Note(row, channel, 60, instrument, loud * 3 / 4);
                } else if (symbol == 'o') {
                    Note(row, channel, 60, instrument, loud / 2);
                }
            };
            drum(step(groove->Kick), chKick, tiKick, 60);
            drum(step(groove->Snare), chSnare, tiSnare, 44);
            drum(step(groove->Hat), chHat, tiHat, 30);

            const char bass = step(groove->Bass);
            const int32_t root = 36 + chord.Root;
            const int32_t fifth = root + chord.Intervals[2];
            const int32_t third = root + chord.Intervals[1];
            switch (bass) {
            case 'R':
                Note(row, chBass, root, tiBass, 52);
                break;
            case 'r':
                Note(row, chBass, root, tiBass, 38);
                break;
            case 'F':
                Note(row, chBass, fifth, tiBass, 46);
                break;
            case 'f':
                Note(row, chBass, fifth, tiBass, 34);
                break;
            case 'O':
                Note(row, chBass, root + 12, tiBass, 44);
                break;
            case 'o':
                Note(row, chBass, root + 12, tiBass, 32);
                break;
            case 'T':
                Note(row, chBass, third, tiBass, 44);
                break;
            case '-':
                KeyOff(row, chBass);
                break;
            default:
                break;
            }

            const char arp = step(groove->Arp);
            if (arp >= '1' && arp <= '5') {
                const size_t tone = static_cast<size_t>(arp - '1');
                const int32_t base = 60 + chord.Root;
                int32_t midi = base + 12;
                if (tone < 3) {
                    midi = base + chord.Intervals[tone];
                } else if (tone == 3 && chord.Intervals.size() > 3) {
                    midi = base + chord.Intervals[3];
                } else if (tone == 4) {
                    midi = base + 12 + chord.Intervals[1];
                }
                Note(row, chArp, midi, tiPluck, 24);
            }
        }
    }

    size_t Nearest(int32_t midi) const {
        size_t best = 0;
        for (size_t i = 1; i < Scale.size(); ++i) {
            if (std::abs(Scale[i] - midi) < std::abs(Scale[best] - midi)) {
                best = i;
            }
        }
        return best;
    }

    // The scale position of a chord tone next to from: the nearest, or now and then the
    // second nearest, so that the line does not stand still.
    size_t ChordTone(const TChord& chord, size_t from, TRandom& random) const {
        std::vector<size_t> tones;
        for (size_t i = 0; i < Scale.size(); ++i) {
            for (const int32_t interval : chord.Intervals) {
                if ((Scale[i] - chord.Root - interval + 120) % 12 == 0) {
                    tones.push_back(i);
                }
            }
        }
        if (tones.empty()) {
            return from;
        }
        // Staying on the same note weighs like a move of two and a half steps, so the line
        // prefers a near neighbour to a repeat.
        const auto distance = [from](size_t tone) {
            const int32_t steps = std::abs(static_cast<int32_t>(tone) - static_cast<int32_t>(from));
            return steps == 0 ? 5 : steps * 2;
        };
        std::stable_sort(tones.begin(), tones.end(),
                         [&](size_t a, size_t b) { return distance(a) < distance(b); });
        return tones.size() > 1 && random.Next(4) == 0 ? tones[1] : tones[0];
    }

    void ComposeMelody(const TSection& section, uint64_t seed) {
        if (section.Melody == TMelody::None) {
            KeyOff(0, chLead);
            KeyOff(0, chEcho);
            return;
        }
        using TRhythm = std::vector<std::pair<int32_t, int32_t>>; // (row, length) in a bar
        static const std::vector<TRhythm> kCalm = {{{0, 8}, {8, 8}},
                                                   {{0, 12}, {12, 4}},
                                                   {{0, 4}, {4, 4}, {8, 8}},
                                                   {{0, 6}, {6, 2}, {8, 8}},
                                                   {{0, 8}, {8, 4}, {12, 4}}};
        static const std::vector<TRhythm> kFlowing = {
            {{0, 4}, {4, 2}, {6, 2}, {8, 4}, {12, 4}},
            {{0, 2}, {2, 2}, {4, 4}, {8, 2}, {10, 2}, {12, 4}},
            {{0, 6}, {6, 2}, {8, 6}, {14, 2}},
            {{0, 4}, {4, 4}, {8, 4}, {12, 4}},
            {{0, 3}, {3, 3}, {6, 2}, {8, 8}}};
        static const std::vector<TRhythm> kCadence = {
            {{0, 12}}, {{0, 4}, {4, 10}}, {{0, 8}, {8, 6}}};
        const std::vector<TRhythm>& rhythms = section.Melody == TMelody::Calm ? kCalm : kFlowing;

        TRandom random(seed);
        const TRhythm motif =
            rhythms[static_cast<size_t>(random.Next(static_cast<int32_t>(rhythms.size())))];
        const TRhythm answer =
            rhythms[static_cast<size_t>(random.Next(static_cast<int32_t>(rhythms.size())))];
        const TRhythm cadence =
            kCadence[static_cast<size_t>(random.Next(static_cast<int32_t>(kCadence.size())))];
        size_t at = Nearest(74);
        std::vector<size_t> motifNotes;
        // Steps lean back toward the middle of the range once the line has wandered off.
        const int32_t low = static_cast<int32_t>(Nearest(69));
        const int32_t high = static_cast<int32_t>(Nearest(79));
        const auto step = [&](size_t from) {
            static constexpr int32_t kSteps[] = {-2, -1, -1, -1, 1, 1, 1, 2, 0};
            int32_t move = kSteps[random.Next(9)];
            if ((static_cast<int32_t>(from) > high && move > 0) ||
                (static_cast<int32_t>(from) < low && move < 0)) {
                move = -move;
            }
            const int32_t next = static_cast<int32_t>(from) + move;
            return static_cast<size_t>(std::clamp(next, 0, static_cast<int32_t>(Scale.size()) - 1));
        };
        for (int32_t bar = 0; bar < kBars; ++bar) {
            const TChord& chord = section.Chords[static_cast<size_t>(bar)];
            const TRhythm& rhythm = bar == 0 || bar == 2 ? motif : bar == 1 ? answer : cadence;
            for (size_t k = 0; k < rhythm.size(); ++k) {
                const auto [offset, length] = rhythm[k];
                if (bar == 2) {
                    // The motif again, moved to start on a tone of this bar's chord.
                    if (k == 0) {
                        at = ChordTone(chord, at, random);
                    } else {
                        const int32_t moved = static_cast<int32_t>(at) +
                                              static_cast<int32_t>(motifNotes[k]) -
                                              static_cast<int32_t>(motifNotes[k - 1]);
                        at = static_cast<size_t>(
                            std::clamp(moved, 0, static_cast<int32_t>(Scale.size()) - 1));
                    }
                } else if (k == 0 || offset == 8 || (bar == 3 && k + 1 == rhythm.size())) {
                    at = ChordTone(chord, at, random);
                } else {
                    at = step(at);
                }
                if (bar == 0) {
                    motifNotes.push_back(at);
                }
                const int32_t row = bar * kBarRows + offset;
                const int32_t volume = offset % 8 == 0 ? 46 : 38;
                Note(row, chLead, Scale[at], tiLead, volume);
                if (row + kEchoDelay < kPatternRows) {
                    Note(row + kEchoDelay, chEcho, Scale[at], tiLead, volume * 2 / 5);
                }
                const bool followed =
                    k + 1 < rhythm.size() && rhythm[k + 1].first == offset + length;
                const int32_t end = row + length;
                if (!followed && end < kPatternRows) {
                    KeyOff(end, chLead);
                    if (end + kEchoDelay < kPatternRows) {
                        KeyOff(end + kEchoDelay, chEcho);
                    }
                }
            }
        }
    }

    TXmPattern pattern_;
};

std::vector<int32_t> ScaleNotes(int32_t tonic, bool minor) {
    static constexpr int32_t kMajor[] = {0, 2, 4, 5, 7, 9, 11};
    static constexpr int32_t kMinor[] = {0, 2, 3, 5, 7, 8, 10};
    std::vector<int32_t> notes;
    for (int32_t midi = 65; midi <= 84; ++midi) {
        for (const int32_t degree : minor ? kMinor : kMajor) {
            if ((midi - tonic - degree + 120) % 12 == 0) {
                notes.push_back(midi);
            }
        }
    }
    return notes;
}

} // namespace

TTune ComposeTune(std::string_view text) {
    TTune tune;
    TXmModule& module = tune.Module;
    module.Channels = chCount;
    // The instrument of each part, in module order: pad, bass, lead, arp, kick, snare, hat.
    std::map<std::string, std::string, std::less<>> parts = {
        {"pad", "pad"},   {"bass", "bass"},   {"lead", "bell"}, {"arp", "pluck"},
        {"kick", "kick"}, {"snare", "snare"}, {"hat", "hat"}};
    uint64_t seed = 1;
    int32_t tonic = 0;
    bool minor = false;
    std::map<std::string, TGroove> grooves;
    std::vector<TSection> sections;
    std::vector<std::pair<std::string, size_t>> order; // section name, line

    std::istringstream lines{std::string(text)};
    std::string raw;
    size_t line = 0;
    while (std::getline(lines, raw)) {
        ++line;
        raw = raw.substr(0, raw.find('#'));
        std::istringstream words(raw);
        std::string head;
        if (!(words >> head)) {
            continue;
        }
        std::vector<std::string> rest;
        for (std::string word; words >> word;) {
            rest.push_back(word);
        }
        const auto needs = [&](size_t count) {
            if (rest.size() < count) {
                Fail(line, "\"" + head + "\" needs " + std::to_string(count) + " values");
            }
        };
        const auto fields = [&](size_t from) {
            std::map<std::string, std::string, std::less<>> result;
            for (size_t i = from; i < rest.size(); ++i) {
                const size_t equals = rest[i].find('=');
                if (equals == std::string::npos) {
                    Fail(line, "expected key=value, got \"" + rest[i] + "\"");
                }
                result[rest[i].substr(0, equals)] = rest[i].substr(equals + 1);
            }
            return result;
        };
        if (head == "module") {
            needs(1);
            tune.FileName = rest[0];
        } else if (head == "title") {
            needs(1);
            module.Name = raw.substr(raw.find("title") + 6);
            module.Name.erase(module.Name.find_last_not_of(" \t\r") + 1);
        } else if (head == "tempo") {
            needs(2);
            module.Bpm = ParseInt(rest[0], line);
            module.Speed = ParseInt(rest[1], line);
        } else if (head == "key") {
            needs(2);
            std::string_view name = rest[0];
            tonic = PitchClass(name, line);
            if (!name.empty() || (rest[1] != "major" && rest[1] != "minor")) {
                Fail(line, "a key is a note and \"major\" or \"minor\"");
            }
            minor = rest[1] == "minor";
        } else if (parts.find(head) != parts.end()) {
            needs(1);
            parts[head] = rest[0];
        } else if (head == "seed") {
            needs(1);
            seed = static_cast<uint64_t>(ParseInt(rest[0], line));
        } else if (head == "restart") {
            needs(1);
            module.RestartPosition = ParseInt(rest[0], line);
        } else if (head == "groove") {
            needs(1);
            TGroove groove;
            for (const auto& [key, value] : fields(1)) {
                std::string* target = key == "kick"    ? &groove.Kick
                                      : key == "snare" ? &groove.Snare
                                      : key == "hat"   ? &groove.Hat
                                      : key == "bass"  ? &groove.Bass
                                      : key == "arp"   ? &groove.Arp
                                                       : nullptr;
                if (target == nullptr) {
                    Fail(line, "unknown groove part \"" + key + "\"");
                }
                *target = value;
                CheckSteps(value,
                           key == "bass"  ? "RrFfOoT-."
                           : key == "arp" ? "12345."
                                          : "Xxo.",
                           line);
            }
            grooves[rest[0]] = groove;
        } else if (head == "section") {
            needs(2);
            TSection section;
            section.Name = rest[0];
            for (const auto& [key, value] : fields(1)) {
                if (key == "chords") {
                    for (const std::string_view chord : Split(value, ',')) {
                        section.Chords.push_back(ParseChord(chord, line));
                    }
                    if (section.Chords.size() != kBars) {
                        Fail(line, "a section has four chords, one per bar");
                    }
                } else if (key == "groove") {
                    if (value != "none" && grooves.find(value) == grooves.end()) {
                        Fail(line, "unknown groove \"" + value + "\"");
                    }
                    section.Groove = value;
                } else if (key == "melody") {
                    if (value != "none" && value != "calm" && value != "flowing") {
                        Fail(line, "a melody is none, calm or flowing");
                    }
                    section.Melody = value == "calm"      ? TMelody::Calm
                                     : value == "flowing" ? TMelody::Flowing
                                                          : TMelody::None;
                } else if (key == "pad") {
                    section.Pad = value != "off";
                } else {
                    Fail(line, "unknown section field \"" + key + "\"");
                }
            }
            if (section.Chords.empty()) {
                Fail(line, "a section needs chords");
            }
            sections.push_back(std::move(section));
        } else if (head == "order") {
            for (const std::string& name : rest) {
                order.emplace_back(name, line);
            }
        } else {
            Fail(line, "unknown word \"" + head + "\"");
        }
    }
    if (tune.FileName.empty() || sections.empty() || order.empty()) {
        throw std::runtime_error("a tune needs a module name, sections and an order");
    }
    if (module.RestartPosition < 0 || static_cast<size_t>(module.RestartPosition) >= order.size()) {
        throw std::runtime_error("the restart position lies outside the order list");
    }

    for (const std::string_view part : {"pad", "bass", "lead", "arp", "kick", "snare", "hat"}) {
        module.Instruments.push_back(MakeInstrument(parts.find(part)->second));
    }

    TComposer composer;
    composer.Scale = ScaleNotes(tonic, minor);
    for (size_t i = 0; i < sections.size(); ++i) {
        const TSection& section = sections[i];
        const auto groove = grooves.find(section.Groove);
        module.Patterns.push_back(composer.Compose(
            section, groove == grooves.end() ? nullptr : &groove->second, seed * 1000 + i));
    }
    for (const auto& [name, orderLine] : order) {
        const std::string& wanted = name;
        const auto found = std::find_if(sections.begin(), sections.end(),
                                        [&](const TSection& s) { return s.Name == wanted; });
        if (found == sections.end()) {
            Fail(orderLine, "unknown section \"" + name + "\"");
        }
        module.Orders.push_back(static_cast<uint8_t>(found - sections.begin()));
    }
    return tune;
}

} // namespace qz
