#pragma once
// A small writer of FastTracker 2 extended modules (XM 1.04): linear frequencies, packed
// pattern cells, one 16-bit sample per instrument with a volume envelope.

#include <cstdint>
#include <string>
#include <vector>

namespace qz {

// One pattern cell; 0 means "empty" for every field.
struct TXmCell {
    uint8_t Note = 0;       // 1 = C-0 ... 96 = B-7, 97 = key off
    uint8_t Instrument = 0; // 1-based
    uint8_t Volume = 0;     // volume column byte (0x10 + volume 0..64 sets the volume)
    uint8_t Effect = 0;
    uint8_t Param = 0;
};

constexpr uint8_t kXmKeyOff = 97;

struct TXmPattern {
    int32_t Rows = 64;
    std::vector<TXmCell> Cells; // Rows × channels, row by row
};

struct TXmEnvelopePoint {
    uint16_t Tick = 0;
    uint16_t Value = 0; // 0..64
};

struct TXmInstrument {
    std::string Name;
    std::vector<int16_t> Sample;
    uint32_t LoopStart = 0;  // in sample frames
    uint32_t LoopLength = 0; // 0 = no loop
    uint8_t Volume = 64;
    int8_t FineTune = 0;     // 1/128 semitone
    int8_t RelativeNote = 0; // semitones; 0 plays C-4 at 8363 Hz
    uint8_t Panning = 128;
    std::vector<TXmEnvelopePoint> Envelope; // at most 12 points; empty = no envelope
    uint8_t SustainPoint = 0;
    uint16_t FadeOut = 0;
    uint8_t VibratoDepth = 0;
    uint8_t VibratoRate = 0;
    uint8_t VibratoSweep = 0;
};

struct TXmModule {
    std::string Name;
    int32_t Channels = 8;
    int32_t Speed = 6; // ticks per row
    int32_t Bpm = 125;
    int32_t RestartPosition = 0;
    std::vector<uint8_t> Orders;
    std::vector<TXmPattern> Patterns;
    std::vector<TXmInstrument> Instruments;
};

// Relative note and fine tune that make C-4 play a sample recorded at sampleRate.
void TuneToRate(TXmInstrument& instrument, double sampleRate);

std::vector<uint8_t> WriteXm(const TXmModule& module);

} // namespace qz
