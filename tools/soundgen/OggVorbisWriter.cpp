#include "tools/soundgen/OggVorbisWriter.h"

#include <algorithm>
#include <stdexcept>
#include <vorbis/vorbisenc.h>

namespace qz {

namespace {

// The codec's state, released in reverse order of creation.
class TEncoder {
public:
    TEncoder(int32_t sampleRate, int32_t serial, float quality) {
        vorbis_info_init(&info_);
        if (vorbis_encode_init_vbr(&info_, 1, sampleRate, quality) != 0) {
            vorbis_info_clear(&info_);
            throw std::runtime_error("the Vorbis encoder refuses these settings");
        }
        vorbis_comment_init(&comment_);
        vorbis_analysis_init(&dsp_, &info_);
        vorbis_block_init(&dsp_, &block_);
        ogg_stream_init(&stream_, serial);
    }
    ~TEncoder() {
        ogg_stream_clear(&stream_);
        vorbis_block_clear(&block_);
        vorbis_dsp_clear(&dsp_);
        vorbis_comment_clear(&comment_);
        vorbis_info_clear(&info_);
    }
    TEncoder(const TEncoder&) = delete;
    TEncoder& operator=(const TEncoder&) = delete;

    void WriteHeaders() {
        ogg_packet identification;
        ogg_packet comments;
        ogg_packet codebooks;
        vorbis_analysis_headerout(&dsp_, &comment_, &identification, &comments, &codebooks);
        ogg_stream_packetin(&stream_, &identification);
        ogg_stream_packetin(&stream_, &comments);
        ogg_stream_packetin(&stream_, &codebooks);
        // The audio starts on a fresh page, as the format asks.
        ogg_page page;
        while (ogg_stream_flush(&stream_, &page) != 0) {
            Append(page);
        }
    }

    void Write(const float* samples, int32_t count) {
        float** buffer = vorbis_analysis_buffer(&dsp_, count);
        std::copy(samples, samples + count, buffer[0]);
        vorbis_analysis_wrote(&dsp_, count);
        Drain();
    }

    void Finish() {
        vorbis_analysis_wrote(&dsp_, 0);
        Drain();
        ogg_page page;
        while (ogg_stream_flush(&stream_, &page) != 0) {
            Append(page);
        }
    }

    std::vector<uint8_t> Bytes;

private:
    void Append(const ogg_page& page) {
        Bytes.insert(Bytes.end(), page.header, page.header + page.header_len);
        Bytes.insert(Bytes.end(), page.body, page.body + page.body_len);
    }

    void Drain() {
        while (vorbis_analysis_blockout(&dsp_, &block_) == 1) {
            vorbis_analysis(&block_, nullptr);
            vorbis_bitrate_addblock(&block_);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp_, &packet) != 0) {
                ogg_stream_packetin(&stream_, &packet);
                ogg_page page;
                while (ogg_stream_pageout(&stream_, &page) != 0) {
                    Append(page);
                }
            }
        }
    }

    vorbis_info info_{};
    vorbis_comment comment_{};
    vorbis_dsp_state dsp_{};
    vorbis_block block_{};
    ogg_stream_state stream_{};
};

} // namespace

std::vector<uint8_t> EncodeOggVorbis(const std::vector<float>& samples, int32_t sampleRate,
                                     int32_t serial, float quality) {
    TEncoder encoder(sampleRate, serial, quality);
    encoder.WriteHeaders();
    constexpr size_t kChunk = 4096;
    for (size_t at = 0; at < samples.size(); at += kChunk) {
        const size_t count = std::min(kChunk, samples.size() - at);
        encoder.Write(samples.data() + at, static_cast<int32_t>(count));
    }
    encoder.Finish();
    return std::move(encoder.Bytes);
}

} // namespace qz
