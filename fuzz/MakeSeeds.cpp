// Writes the starting corpus of every fuzz target into OUT/NAME/: small pictures of each format
// and pixel layout, WAV and Ogg Vorbis effects, event-script and configuration inputs. The
// archive seeds are packed by scripts/fuzz.sh with kmtool from the demo's scripts.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "gfx/Image.h"
#include "support/OggFixture.h"

namespace {

std::string g_out;

void put(const std::string& target, const std::string& name, const std::vector<uint8_t>& bytes) {
  std::filesystem::create_directories(g_out + "/" + target);
  const std::string path = g_out + "/" + target + "/" + name;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}
void put(const std::string& target, const std::string& name, const std::string& text) {
  put(target, name, std::vector<uint8_t>(text.begin(), text.end()));
}

void le(std::vector<uint8_t>& b, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

gfx::Image picture(int32_t w, int32_t h) {
  gfx::Image image{w, h, {}};
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      image.pixels.push_back(uint32_t(x * 40 + y) << 24 | uint32_t(x * 7919 + y * 104729));
  return image;
}

std::vector<uint8_t> bmp(const gfx::Image& image, int bits) {
  const uint32_t row = (uint32_t(image.width) * uint32_t(bits) / 8 + 3) & ~3u;
  std::vector<uint8_t> b = {'B', 'M'};
  le(b, 54 + row * uint32_t(image.height), 4);
  le(b, 0, 4);
  le(b, 54, 4);
  le(b, 40, 4);
  le(b, uint32_t(image.width), 4);
  le(b, uint32_t(image.height), 4);
  le(b, 1, 2);
  le(b, uint32_t(bits), 2);
  le(b, 0, 4);
  le(b, row * uint32_t(image.height), 4);
  for (int i = 0; i < 4; ++i) le(b, 0, 4);  // resolution and palette counts
  for (int32_t y = image.height - 1; y >= 0; --y) {
    std::vector<uint8_t> line;
    for (int32_t x = 0; x < image.width; ++x) le(line, image.pixels[size_t(y * image.width + x)], bits / 8);
    line.resize(row, 0);
    b.insert(b.end(), line.begin(), line.end());
  }
  return b;
}

std::vector<uint8_t> tga(uint8_t type, const gfx::Image& image, int bits) {
  std::vector<uint8_t> b = {0, 0, type, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  le(b, uint32_t(image.width), 2);
  le(b, uint32_t(image.height), 2);
  b.push_back(uint8_t(bits));
  b.push_back(bits == 32 ? 8 : 0);
  for (uint32_t p : image.pixels) {
    if (type & 8) b.push_back(0);  // one raw pixel per packet
    le(b, p, bits / 8);
  }
  return b;
}

std::vector<uint8_t> wav(uint16_t channels, uint16_t bits, size_t frames) {
  std::vector<uint8_t> data;
  for (size_t i = 0; i < frames * channels; ++i) le(data, uint32_t(i * 977), bits / 8);
  std::vector<uint8_t> b = {'R', 'I', 'F', 'F'};
  le(b, uint32_t(4 + 24 + 8 + data.size()), 4);
  for (char c : std::string("WAVEfmt ")) b.push_back(uint8_t(c));
  le(b, 16, 4);
  le(b, 1, 2);
  le(b, channels, 2);
  le(b, 22050, 4);
  le(b, 22050u * channels * bits / 8, 4);
  le(b, uint32_t(channels * bits / 8), 2);
  le(b, bits, 2);
  for (char c : std::string("data")) b.push_back(uint8_t(c));
  le(b, uint32_t(data.size()), 4);
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

// A binary mesh: a square of two triangles, every array present.
std::vector<uint8_t> binaryMesh() {
  std::vector<uint8_t> b(276, 0);
  b[0] = 4;  // vertices
  b[8] = 6;  // indices
  const float one = 1.0f;
  std::memcpy(&b[16], &one, 4);  // shake rate
  std::memcpy(&b[28], "quad.png", 8);
  const float positions[] = {1, -1, 0, -1, -1, 0, -1, 1, 0, 1, 1, 0};
  const float uvs[] = {1, 1, 0, 1, 0, 0, 1, 0};
  const float weights[] = {0, 0, -1, -1};
  const float returns[] = {1, 1, 0.5f, 0.5f};
  const auto floats = [&](const float* v, size_t n) {
    for (size_t i = 0; i < n; ++i) {
      uint32_t u;
      std::memcpy(&u, &v[i], 4);
      le(b, u, 4);
    }
  };
  floats(positions, 12);
  for (uint32_t i : {0, 1, 2, 3, 0, 2}) le(b, i, 2);
  floats(uvs, 8);
  floats(weights, 4);
  floats(returns, 4);
  return b;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: km_fuzz_seeds OUT\n");
    return 2;
  }
  g_out = argv[1];
  const gfx::Image small = picture(5, 3);
  std::vector<uint8_t> bytes;
  if (gfx::encodePng(small, bytes)) put("image", "small.png", bytes);
  if (gfx::encodeJpeg(small, 80, bytes)) put("image", "small.jpg", bytes);
  put("image", "small24.bmp", bmp(small, 24));
  put("image", "small32.bmp", bmp(small, 32));
  put("image", "plain24.tga", tga(2, small, 24));
  put("image", "plain32.tga", tga(2, small, 32));
  put("image", "rle24.tga", tga(10, small, 24));

  // Click maps are 1, 4 or 8 bits per pixel; the fuzzer finds the other depths from this one.
  put("clickmap", "map8.bmp", bmp(small, 8));

  // The mesh target's first byte picks the dialect: 0 text, 1 flat, 2 binary (the demo's text
  // meshes are added by scripts/fuzz.sh).
  std::vector<uint8_t> mesh = {2};
  const std::vector<uint8_t> binary = binaryMesh();
  mesh.insert(mesh.end(), binary.begin(), binary.end());
  put("mesh", "quad.sld", mesh);
  put("mesh", "flat.txt", std::string("\x01picWidth = 360;\npicHeight = 720;\npicFileName = \"a.png\";\n"));

  put("wav", "mono16.wav", wav(1, 16, 40));
  put("wav", "stereo8.wav", wav(2, 8, 30));
  std::vector<int16_t> tone(2 * 2000);
  for (size_t i = 0; i < tone.size(); ++i) tone[i] = int16_t((i * 331) % 20000 - 10000);
  put("ogg", "tone.ogg", testsupport::encodeOgg(tone, 2, 22050));
  put("ogg", "mono.ogg", testsupport::encodeOgg(std::vector<int16_t>(tone.begin(), tone.begin() + 1500), 1, 8000));

  put("evt", "tags.evt",
      "*start\r\n@[Wait time=\"100\"]\r\n@[PlayBGM file=\"a.ogg\" time=\"2\" volume=\"&T_Vol\"]\r\n"
      "\x82\xa0\x82\xa2\r\n\x95\x5c\x8e\xa6\r\n[[\r\nScSetTempFlag(\"T_Vol\", 50)\r\n]]\r\n"
      "@[AllFadeIn color=\"FF000000\" time=\"-2147483648\"]\r\n; comment\r\nScJump(\"*start\") -- back\r\n");
  put("evt", "flags.evt", "@[If flag=\"$E_years\" value=\"12\" label=\"*ok\"]\n*ok\nScEnd()\n");
  put("config", "numbers", std::string("\x00\x10\x20\x30\x40\x50\x60\x70\x80\x90\xa0\xb0\xc0\xd0\xe0\xf0", 16));
  put("config", "tables", std::string("\x05\x05\x05\x05\x05\x05\x05\x05\x05\x05\x05\x05\x05\x05\x05\x05\x21\x01", 18));

  // The window target reads actions: 0 an Sc call, 1 a tag line, 2 a message page, 3 a frame,
  // 4 a key (see WindowFuzz.cpp for the bytes of each).
  const std::vector<uint8_t> historyWindow = {1, 0, 5, 0, 5, 3, 20, 4, 9, 7, 220, 0, 0, 1, 44, 9, 220, 0, 0, 0, 200};
  const auto page = [](const std::string& text) {
    std::vector<uint8_t> b = {2, uint8_t(text.size())};
    b.insert(b.end(), text.begin(), text.end());
    b.push_back(0);
    return b;
  };
  std::vector<uint8_t> history = historyWindow;
  for (const char* text : {"<voice buf='10' file='v1.wav'>one<n>", "two", "\x82\xa0\x82\xa2", "four", "five", "six"}) {
    const std::vector<uint8_t> b = page(text);
    history.insert(history.end(), b.begin(), b.end());
  }
  // Frames until the page has typed, then ScOpenHistory, the wheel, a click on the bar, the
  // right button.
  for (const std::vector<uint8_t>& b : std::vector<std::vector<uint8_t>>{{3, 17, 0, 0, 0},
                                                                         {3, 17, 0, 0, 0},
                                                                         {0, 12, 0},
                                                                         {3, 17, 128, 128, 0x40},
                                                                         {3, 17, 30, 100, 0x05},
                                                                         {3, 17, 30, 120, 0x02},
                                                                         {3, 17, 100, 100, 0x08}})
    history.insert(history.end(), b.begin(), b.end());
  put("window", "history", history);
  // A click on button 0 at (944, 32), a key, and the slider's value.
  put("window", "widgets",
      std::vector<uint8_t>{3, 17,   236, 10, 0x05, 3, 17, 236, 10, 0x02, 4,  0x81, 3,  17, 0,   0,   0,
                           4, 0x01, 0,   23, 3,    3, 4,  0,   20, 0,    70, 3,    17, 40, 200, 0x05});
  return 0;
}
