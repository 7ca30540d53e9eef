#pragma once
// Turns a tune description into an extended module. A tune is a key, a tempo, the
// instrument of each part (lead, pad, bass, arp, kick, snare, hat; each has a default), named
// grooves (one bar of drum, bass and arpeggio steps) and named sections
// (four chords, one per bar, a groove and a melody style); the order list strings sections
// together. Melodies are composed from a fixed seed: chord tones on the strong beats, scale
// steps between them, the first bar's motif coming back in the third.

#include "tools/musicgen/XmWriter.h"

#include <string>
#include <string_view>

namespace qz {

struct TTune {
    std::string FileName; // the entry name the game plays, for example "Vibe-rlx.mo3"
    TXmModule Module;
};

// Throws std::runtime_error naming the line for an unknown word, chord, groove or section.
TTune ComposeTune(std::string_view text);

// The channel layout of every tune.
enum TTuneChannel : int32_t {
    chLead,
    chEcho,
    chArp,
    chPad1,
    chPad2,
    chPad3,
    chBass,
    chKick,
    chSnare,
    chHat,
    chCount
};

} // namespace qz
