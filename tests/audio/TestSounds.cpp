#include "audio/TestSounds.h"

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <vector>
#include <vorbis/vorbisenc.h>

namespace qz::test {

namespace {

void AppendPage(std::string& out, const ogg_page& page) {
    out.append(reinterpret_cast<const char*>(page.header), page.header_len);
    out.append(reinterpret_cast<const char*>(page.body), page.body_len);
}

void Put8(std::string& out, uint8_t value) {
    out.push_back(static_cast<char>(value));
}
void Put16(std::string& out, uint16_t value) {
    Put8(out, value & 0xFF);
    Put8(out, value >> 8);
}
void Put32(std::string& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}
void PutText(std::string& out, const std::string& text, size_t width) {
    std::string padded = text;
    padded.resize(width, '\0');
    out += padded;
}
void PutZeros(std::string& out, size_t count) {
    out.append(count, '\0');
}

// Packed pattern data: each cell starts with a flag byte (0x80 plus which fields follow).
std::string PackPattern(int noteRow0, int instrumentRow0) {
    std::string data;
    for (int row = 0; row < XmRows; ++row) {
        for (int channel = 0; channel < 2; ++channel) {
            if (row == 0 && channel == 0 && instrumentRow0 != 0) {
                Put8(data, 0x80 | 0x01 | 0x02);
                Put8(data, static_cast<uint8_t>(noteRow0));
                Put8(data, static_cast<uint8_t>(instrumentRow0));
            } else if (row == 0 && channel == 0) {
                Put8(data, 0x80 | 0x01);
                Put8(data, static_cast<uint8_t>(noteRow0));
            } else {
                Put8(data, 0x80);
            }
        }
    }
    return data;
}

} // namespace

std::string MakeOgg(int channels, int frequency, size_t frames) {
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, frequency, 0.4f) != 0) {
        throw std::runtime_error("vorbis_encode_init_vbr failed");
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1234);

    std::string out;
    ogg_packet header, headerComment, headerCode;
    vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &headerComment);
    ogg_stream_packetin(&stream, &headerCode);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0) {
        AppendPage(out, page);
    }

    float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(frames));
    for (size_t i = 0; i < frames; ++i) {
        const float value = 0.5f * static_cast<float>(std::sin(2 * M_PI * 440 * i / frequency));
        for (int c = 0; c < channels; ++c) {
            buffer[c][i] = value;
        }
    }
    vorbis_analysis_wrote(&dsp, static_cast<int>(frames));
    vorbis_analysis_wrote(&dsp, 0);

    ogg_packet packet;
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
        vorbis_analysis(&block, nullptr);
        vorbis_bitrate_addblock(&block);
        while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0) {
            ogg_stream_packetin(&stream, &packet);
            while (ogg_stream_pageout(&stream, &page) != 0) {
                AppendPage(out, page);
            }
        }
    }
    while (ogg_stream_flush(&stream, &page) != 0) {
        AppendPage(out, page);
    }
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

std::string MakeXm() {
    std::string out = "Extended Module: ";
    PutText(out, "quarzel test", 20);
    Put8(out, 0x1A);
    PutText(out, "quarzel", 20);
    Put16(out, 0x0104);
    Put32(out, 276); // header size, counted from here
    Put16(out, 2);   // song length (orders)
    Put16(out, 0);   // restart position
    Put16(out, 2);   // channels
    Put16(out, 2);   // patterns
    Put16(out, 1);   // instruments
    Put16(out, 1);   // linear frequency table
    Put16(out, 6);   // speed (ticks per row)
    Put16(out, 125); // BPM
    std::string orders(256, '\0');
    orders[1] = 1;
    out += orders;

    const std::string patterns[2] = {PackPattern(97, 0), PackPattern(49, 1)};
    for (const std::string& data : patterns) {
        Put32(out, 9); // pattern header size
        Put8(out, 0);  // packing type
        Put16(out, XmRows);
        Put16(out, static_cast<uint16_t>(data.size()));
        out += data;
    }

    const size_t headerStart = out.size();
    Put32(out, 263);
    PutText(out, "square", 22);
    Put8(out, 0);  // type
    Put16(out, 1); // samples
    Put32(out, 40);
    PutZeros(out, 96);      // every note plays sample 0
    PutZeros(out, 48 + 48); // volume and panning envelope points
    PutZeros(out, 2 + 6 + 2 + 4);
    Put16(out, 0);                                   // fade-out
    PutZeros(out, 263 - (out.size() - headerStart)); // reserved

    const uint32_t length = 64;
    Put32(out, length);
    Put32(out, 0);      // loop start
    Put32(out, length); // loop length
    Put8(out, 64);      // volume
    Put8(out, 0);       // finetune
    Put8(out, 1);       // forward loop, 8 bits
    Put8(out, 128);     // panning
    Put8(out, 0);       // relative note
    Put8(out, 0);
    PutText(out, "square", 22);

    int8_t previous = 0;
    for (uint32_t i = 0; i < length; ++i) {
        const int8_t value = i < length / 2 ? 96 : -96;
        Put8(out, static_cast<uint8_t>(value - previous));
        previous = value;
    }
    return out;
}

} // namespace qz::test
