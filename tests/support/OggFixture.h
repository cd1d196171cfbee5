// Ogg Vorbis fixtures made in memory (libvorbisenc; link it where this header is used): encode
// 16-bit PCM, and decode a file image back the way the engine's decoder sees it.
#pragma once

#include <vorbis/vorbisenc.h>
#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace testsupport {

// Encodes interleaved 16-bit samples as one Ogg Vorbis stream (VBR at `quality`).
inline std::vector<uint8_t> encodeOgg(const std::vector<int16_t>& interleaved, int channels, long rate,
                                      float quality = 0.3f, int serial = 1) {
  std::vector<uint8_t> out;
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, channels, rate, quality) != 0) {
    vorbis_info_clear(&vi);
    return out;
  }
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_dsp_state vd;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block vb;
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, serial);
  ogg_page og;
  ogg_packet op;
  auto putPage = [&]() {
    out.insert(out.end(), og.header, og.header + og.header_len);
    out.insert(out.end(), og.body, og.body + og.body_len);
  };
  {
    ogg_packet header, comments, code;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &code);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &code);
    while (ogg_stream_flush(&os, &og) != 0) putPage();
  }
  const size_t frames = interleaved.size() / size_t(channels);
  const size_t chunk = 4096;
  size_t done = 0;
  bool eos = false;
  while (!eos) {
    const size_t n = std::min(chunk, frames - done);
    if (n == 0) {
      vorbis_analysis_wrote(&vd, 0);
    } else {
      float** buffer = vorbis_analysis_buffer(&vd, int(n));
      for (size_t i = 0; i < n; ++i) {
        for (int c = 0; c < channels; ++c) buffer[c][i] = interleaved[(done + i) * channels + c] / 32768.0f;
      }
      vorbis_analysis_wrote(&vd, int(n));
      done += n;
    }
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      while (vorbis_bitrate_flushpacket(&vd, &op)) {
        ogg_stream_packetin(&os, &op);
        while (ogg_stream_pageout(&os, &og) != 0) {
          putPage();
          if (ogg_page_eos(&og)) eos = true;
        }
      }
    }
    if (n == 0 && !eos) {
      while (ogg_stream_flush(&os, &og) != 0) putPage();
      eos = true;
    }
  }
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return out;
}

// Decodes a whole Ogg Vorbis image to 16-bit little-endian interleaved samples (empty on error).
inline std::vector<int16_t> decodeOgg(const std::vector<uint8_t>& image, int* channels = nullptr,
                                      long* rate = nullptr) {
  struct Source {
    const std::vector<uint8_t>* bytes;
    size_t at;
  } source{&image, 0};
  ov_callbacks cb{};
  cb.read_func = [](void* p, size_t size, size_t n, void* ds) -> size_t {
    auto* s = static_cast<Source*>(ds);
    const size_t count = std::min(n, (s->bytes->size() - s->at) / size);
    std::memcpy(p, s->bytes->data() + s->at, count * size);
    s->at += count * size;
    return count;
  };
  cb.seek_func = [](void* ds, ogg_int64_t off, int whence) -> int {
    auto* s = static_cast<Source*>(ds);
    const int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? int64_t(s->at) : int64_t(s->bytes->size());
    const int64_t target = base + off;
    if (target < 0 || target > int64_t(s->bytes->size())) return -1;
    s->at = size_t(target);
    return 0;
  };
  cb.tell_func = [](void* ds) -> long { return long(static_cast<Source*>(ds)->at); };
  OggVorbis_File vf;
  std::vector<int16_t> pcm;
  if (ov_open_callbacks(&source, &vf, nullptr, 0, cb) != 0) return pcm;
  if (channels) *channels = ov_info(&vf, -1)->channels;
  if (rate) *rate = ov_info(&vf, -1)->rate;
  char block[4096];
  int bitstream = 0;
  for (;;) {
    const long got = ov_read(&vf, block, sizeof block, 0, 2, 1, &bitstream);
    if (got <= 0) break;
    const size_t at = pcm.size();
    pcm.resize(at + size_t(got) / 2);
    std::memcpy(pcm.data() + at, block, size_t(got));
  }
  ov_clear(&vf);
  return pcm;
}

}  // namespace testsupport
