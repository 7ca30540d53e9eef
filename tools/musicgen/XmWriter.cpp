#include "tools/musicgen/XmWriter.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace qz {

namespace {

constexpr uint32_t kInstrumentHeaderSize = 263;
constexpr uint32_t kSampleHeaderSize = 40;
constexpr double kMiddleRate = 8363; // the rate at which C-4 plays a sample without tuning

class TBytes {
public:
    void U8(uint32_t value) { bytes_.push_back(static_cast<uint8_t>(value)); }
    void U16(uint32_t value) {
        U8(value & 0xFF);
        U8((value >> 8) & 0xFF);
    }
    void U32(uint32_t value) {
        U16(value & 0xFFFF);
        U16(value >> 16);
    }
    // Space-padded as FastTracker writes names; cut to size.
    void Text(const std::string& text, size_t size, char pad = ' ') {
        for (size_t i = 0; i < size; ++i) {
            U8(static_cast<uint8_t>(i < text.size() ? text[i] : pad));
        }
    }
    void Zeros(size_t count) { bytes_.insert(bytes_.end(), count, 0); }
    size_t Size() const { return bytes_.size(); }
    void Append(const std::vector<uint8_t>& bytes) {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    }
    std::vector<uint8_t> Take() { return std::move(bytes_); }

private:
    std::vector<uint8_t> bytes_;
};

std::vector<uint8_t> PackPattern(const TXmPattern& pattern) {
    std::vector<uint8_t> packed;
    for (const TXmCell& cell : pattern.Cells) {
        uint8_t flags = 0x80;
        flags |= cell.Note != 0 ? 0x01 : 0;
        flags |= cell.Instrument != 0 ? 0x02 : 0;
        flags |= cell.Volume != 0 ? 0x04 : 0;
        flags |= cell.Effect != 0 ? 0x08 : 0;
        flags |= cell.Param != 0 ? 0x10 : 0;
        packed.push_back(flags);
        for (const auto& [present, value] :
             {std::pair{cell.Note != 0, cell.Note},
              std::pair{cell.Instrument != 0, cell.Instrument},
              std::pair{cell.Volume != 0, cell.Volume}, std::pair{cell.Effect != 0, cell.Effect},
              std::pair{cell.Param != 0, cell.Param}}) {
            if (present) {
                packed.push_back(value);
            }
        }
    }
    return packed;
}

void WriteInstrument(TBytes& out, const TXmInstrument& instrument) {
    assert(instrument.Envelope.size() <= 12);
    const size_t start = out.Size();
    out.U32(kInstrumentHeaderSize);
    out.Text(instrument.Name, 22, '\0');
    out.U8(0); // type
    out.U16(1);
    out.U32(kSampleHeaderSize);
    out.Zeros(96); // every note plays sample 0
    for (size_t i = 0; i < 12; ++i) {
        const TXmEnvelopePoint point =
            i < instrument.Envelope.size() ? instrument.Envelope[i] : TXmEnvelopePoint{};
        out.U16(point.Tick);
        out.U16(point.Value);
    }
    out.Zeros(48); // panning envelope points
    out.U8(static_cast<uint32_t>(instrument.Envelope.size()));
    out.U8(0);
    out.U8(instrument.SustainPoint);
    out.U8(0); // volume loop start
    out.U8(0); // volume loop end
    out.U8(0); // panning sustain, loop start, loop end
    out.U8(0);
    out.U8(0);
    out.U8(instrument.Envelope.empty() ? 0 : 0x03); // envelope on, with sustain
    out.U8(0);
    out.U8(0); // vibrato: sine
    out.U8(instrument.VibratoSweep);
    out.U8(instrument.VibratoDepth);
    out.U8(instrument.VibratoRate);
    out.U16(instrument.FadeOut);
    out.Zeros(kInstrumentHeaderSize - (out.Size() - start));

    const uint32_t frames = static_cast<uint32_t>(instrument.Sample.size());
    out.U32(frames * 2);
    out.U32(instrument.LoopStart * 2);
    out.U32(instrument.LoopLength * 2);
    out.U8(instrument.Volume);
    out.U8(static_cast<uint8_t>(instrument.FineTune));
    out.U8((instrument.LoopLength > 0 ? 0x01 : 0x00) | 0x10); // forward loop, 16-bit
    out.U8(instrument.Panning);
    out.U8(static_cast<uint8_t>(instrument.RelativeNote));
    out.U8(0);
    out.Text(instrument.Name, 22, '\0');

    int16_t previous = 0;
    for (const int16_t value : instrument.Sample) {
        out.U16(
            static_cast<uint16_t>(static_cast<uint16_t>(value) - static_cast<uint16_t>(previous)));
        previous = value;
    }
}

} // namespace

void TuneToRate(TXmInstrument& instrument, double sampleRate) {
    const double semitones = 12 * std::log2(sampleRate / kMiddleRate);
    const double note = std::round(semitones);
    instrument.RelativeNote = static_cast<int8_t>(note);
    instrument.FineTune =
        static_cast<int8_t>(std::clamp(std::lround((semitones - note) * 128), -128L, 127L));
}

std::vector<uint8_t> WriteXm(const TXmModule& module) {
    assert(!module.Orders.empty() && module.Orders.size() <= 256);
    TBytes out;
    out.Text("Extended Module: ", 17);
    out.Text(module.Name, 20);
    out.U8(0x1A);
    out.Text("Quarzel musicgen", 20);
    out.U16(0x0104);
    out.U32(276); // header size from this field on, with the 256-entry order table
    out.U16(static_cast<uint32_t>(module.Orders.size()));
    out.U16(static_cast<uint32_t>(module.RestartPosition));
    out.U16(static_cast<uint32_t>(module.Channels));
    out.U16(static_cast<uint32_t>(module.Patterns.size()));
    out.U16(static_cast<uint32_t>(module.Instruments.size()));
    out.U16(1); // linear frequency table
    out.U16(static_cast<uint32_t>(module.Speed));
    out.U16(static_cast<uint32_t>(module.Bpm));
    for (size_t i = 0; i < 256; ++i) {
        out.U8(i < module.Orders.size() ? module.Orders[i] : 0);
    }
    for (const TXmPattern& pattern : module.Patterns) {
        assert(pattern.Cells.size() == static_cast<size_t>(pattern.Rows * module.Channels));
        const std::vector<uint8_t> packed = PackPattern(pattern);
        out.U32(9);
        out.U8(0);
        out.U16(static_cast<uint32_t>(pattern.Rows));
        out.U16(static_cast<uint32_t>(packed.size()));
        out.Append(packed);
    }
    for (const TXmInstrument& instrument : module.Instruments) {
        WriteInstrument(out, instrument);
    }
    return out.Take();
}

} // namespace qz
