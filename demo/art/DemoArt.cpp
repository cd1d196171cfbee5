// Draws the demo game's pictures at build time: the title card, two backgrounds, two characters,
// the window frame, the click-wait cursor, the buttons and check box and the fade overlay; and
// sings its two voices. Usage: km_demo_art OUTDIR
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "gfx/Image.h"
#include "platform/Encoding.h"
#include "text/Cp932.h"
#include "text/GlyphRasterizer.h"

namespace {

struct Colour {
  float r = 0, g = 0, b = 0, a = 1;
};

Colour rgb(uint32_t hex, float a = 1.0f) {
  return {float((hex >> 16) & 0xFF) / 255.0f, float((hex >> 8) & 0xFF) / 255.0f, float(hex & 0xFF) / 255.0f, a};
}

Colour mix(const Colour& x, const Colour& y, float t) {
  t = std::clamp(t, 0.0f, 1.0f);
  return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t, x.a + (y.a - x.a) * t};
}

float smooth(float edge0, float edge1, float x) {
  const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
  return t * t * (3.0f - 2.0f * t);
}

// A small deterministic generator, so every build draws the same pictures.
struct Random {
  uint32_t state;
  float next() {
    state = state * 1664525u + 1013904223u;
    return float(state >> 8) / float(1u << 24);
  }
};

// Straight (not premultiplied) RGBA in floats; shapes are painted "over" with a coverage.
class Canvas {
 public:
  Canvas(int width, int height) : w(width), h(height), px(size_t(width) * size_t(height), Colour{0, 0, 0, 0}) {}

  void fill(const std::function<Colour(float x, float y)>& shader) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) at(x, y) = shader(float(x) + 0.5f, float(y) + 0.5f);
  }

  // Paints colour over the pixels with the coverage the function gives (0..1), within a box.
  void paint(int x0, int y0, int x1, int y1, const std::function<float(float x, float y)>& coverage,
             const std::function<Colour(float x, float y)>& shader) {
    x0 = std::max(x0, 0), y0 = std::max(y0, 0), x1 = std::min(x1, w), y1 = std::min(y1, h);
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) {
        const float cx = float(x) + 0.5f, cy = float(y) + 0.5f;
        const float c = coverage(cx, cy);
        if (c <= 0.0f) continue;
        Colour src = shader(cx, cy);
        src.a *= std::min(c, 1.0f);
        over(at(x, y), src);
      }
  }

  // A filled ellipse with a one-pixel soft edge.
  void ellipse(float cx, float cy, float rx, float ry, const Colour& colour) {
    ellipseShaded(cx, cy, rx, ry, [colour](float, float) { return colour; });
  }
  void ellipseShaded(float cx, float cy, float rx, float ry, const std::function<Colour(float, float)>& shader) {
    paint(
        int(cx - rx - 2), int(cy - ry - 2), int(cx + rx + 3), int(cy + ry + 3),
        [=](float x, float y) {
          const float dx = (x - cx) / rx, dy = (y - cy) / ry;
          const float d = (std::sqrt(dx * dx + dy * dy) - 1.0f) * std::min(rx, ry);
          return 0.5f - d;
        },
        shader);
  }

  // A soft radial glow (or a soft-edged cloud when rx and ry differ): strongest at the centre.
  void glow(float cx, float cy, float rx, float ry, const Colour& colour) {
    paint(
        int(cx - rx - 1), int(cy - ry - 1), int(cx + rx + 2), int(cy + ry + 2),
        [=](float x, float y) {
          const float d = std::hypot((x - cx) / rx, (y - cy) / ry);
          return d >= 1.0f ? 0.0f : (1.0f - d) * (1.0f - d);
        },
        [colour](float, float) { return colour; });
  }

  // A filled polygon, 4 x 4 samples per pixel.
  void polygon(const std::vector<std::pair<float, float>>& points, const std::function<Colour(float, float)>& shader) {
    float minX = 1e9f, minY = 1e9f, maxX = -1e9f, maxY = -1e9f;
    for (auto [x, y] : points)
      minX = std::min(minX, x), minY = std::min(minY, y), maxX = std::max(maxX, x), maxY = std::max(maxY, y);
    paint(
        int(minX) - 1, int(minY) - 1, int(maxX) + 2, int(maxY) + 2,
        [&](float x, float y) {
          int inside = 0;
          for (int sy = 0; sy < 4; ++sy)
            for (int sx = 0; sx < 4; ++sx)
              inside += contains(points, x - 0.5f + (float(sx) + 0.5f) / 4.0f, y - 0.5f + (float(sy) + 0.5f) / 4.0f);
          return float(inside) / 16.0f;
        },
        shader);
  }
  void polygon(const std::vector<std::pair<float, float>>& points, const Colour& colour) {
    polygon(points, [colour](float, float) { return colour; });
  }

  // A dark rim around everything opaque: the characters' outline.
  void outline(float widthPx, const Colour& colour) {
    std::vector<Colour> before = px;
    const int reach = int(std::ceil(widthPx));
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        float near = 0.0f;
        for (int dy = -reach; dy <= reach; ++dy)
          for (int dx = -reach; dx <= reach; ++dx) {
            const int sx = x + dx, sy = y + dy;
            if (sx < 0 || sy < 0 || sx >= w || sy >= h) continue;
            const float dist = std::sqrt(float(dx * dx + dy * dy));
            if (dist > widthPx + 0.5f) continue;
            near = std::max(
                near, before[size_t(sy) * size_t(w) + size_t(sx)].a * std::clamp(widthPx + 0.5f - dist, 0.0f, 1.0f));
          }
        if (near <= 0.0f) continue;
        Colour under = colour;
        under.a *= near;
        Colour top = before[size_t(y) * size_t(w) + size_t(x)];
        Colour result = under;
        over(result, top);
        at(x, y) = result;
      }
  }

  gfx::Image image() const {
    gfx::Image out;
    out.width = w;
    out.height = h;
    out.pixels.resize(px.size());
    for (size_t i = 0; i < px.size(); ++i) {
      const Colour& c = px[i];
      auto byte = [](float v) { return uint32_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
      out.pixels[i] = byte(c.a) << 24 | byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b);
    }
    return out;
  }

  Colour& at(int x, int y) { return px[size_t(y) * size_t(w) + size_t(x)]; }
  const int w, h;

 private:
  static bool contains(const std::vector<std::pair<float, float>>& p, float x, float y) {
    bool in = false;
    for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
      const auto [xi, yi] = p[i];
      const auto [xj, yj] = p[j];
      if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) in = !in;
    }
    return in;
  }
  static void over(Colour& dst, const Colour& src) {
    const float a = src.a + dst.a * (1.0f - src.a);
    if (a <= 0.0f) {
      dst = {0, 0, 0, 0};
      return;
    }
    dst.r = (src.r * src.a + dst.r * dst.a * (1.0f - src.a)) / a;
    dst.g = (src.g * src.a + dst.g * dst.a * (1.0f - src.a)) / a;
    dst.b = (src.b * src.a + dst.b * dst.a * (1.0f - src.a)) / a;
    dst.a = a;
  }

  std::vector<Colour> px;
};

std::string g_outDir;
int g_failures = 0;

void save(const std::string& name, const std::vector<uint8_t>& bytes) {
  std::ofstream out(g_outDir + "/" + name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "km_demo_art: cannot write %s\n", name.c_str());
    ++g_failures;
  }
}

void savePng(const std::string& name, const Canvas& canvas) {
  std::vector<uint8_t> bytes;
  if (!gfx::encodePng(canvas.image(), bytes)) {
    std::fprintf(stderr, "km_demo_art: cannot encode %s\n", name.c_str());
    ++g_failures;
    return;
  }
  save(name, bytes);
}

void saveJpeg(const std::string& name, const Canvas& canvas) {
  std::vector<uint8_t> bytes;
  if (!gfx::encodeJpeg(canvas.image(), 90, bytes)) {
    std::fprintf(stderr, "km_demo_art: cannot encode %s\n", name.c_str());
    ++g_failures;
    return;
  }
  save(name, bytes);
}

// A 24-bit bottom-up BMP of one colour.
void saveSolidBmp(const std::string& name, int size, uint32_t hex) {
  const uint32_t rowBytes = uint32_t(size) * 3;
  const uint32_t dataBytes = rowBytes * uint32_t(size);
  std::vector<uint8_t> b;
  auto u16 = [&](uint32_t v) { b.push_back(uint8_t(v)), b.push_back(uint8_t(v >> 8)); };
  auto u32 = [&](uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
  b.push_back('B'), b.push_back('M');
  u32(54 + dataBytes), u32(0), u32(54);
  u32(40), u32(uint32_t(size)), u32(uint32_t(size)), u16(1), u16(24), u32(0), u32(dataBytes), u32(2835), u32(2835),
      u32(0), u32(0);
  for (uint32_t i = 0; i < uint32_t(size) * uint32_t(size); ++i)
    b.push_back(uint8_t(hex)), b.push_back(uint8_t(hex >> 8)), b.push_back(uint8_t(hex >> 16));
  save(name, b);
}

// ---- Text for the title card, through the engine's own glyph rasteriser ----

void drawText(Canvas& canvas, const std::string& utf8, const char* faceUtf8, int heightPx, float centreX, float baseY,
              const Colour& colour, float glow) {
  static std::unique_ptr<text::GlyphRasterizer> rasterizer = text::GlyphRasterizer::create();
  if (!rasterizer) return;
  text::LogicalFont lf;
  lf.height = heightPx;
  lf.weight = text::logfont::WeightNormal;
  lf.charSet = text::logfont::ShiftJisCharset;
  lf.faceName = platform::utf8ToCp932(faceUtf8);
  std::unique_ptr<text::Font> font = rasterizer->createFont(lf);
  if (!font) return;
  const std::string cp932 = platform::utf8ToCp932(utf8);
  struct Glyph {
    text::GlyphMetrics m;
    std::vector<uint8_t> bits;
  };
  std::vector<Glyph> glyphs;
  float width = 0;
  for (const text::Cp932Character& c : text::Cp932Characters(cp932)) {
    Glyph g;
    const uint32_t n = font->glyphOutline(c.code, g.m, nullptr, 0);
    if (n != text::GdiError && n > 0) {
      g.bits.resize(n);
      font->glyphOutline(c.code, g.m, g.bits.data(), n);
    }
    width += float(g.m.cellIncX);
    glyphs.push_back(std::move(g));
  }
  // Coverage of the whole line, then painted (with a soft glow under it).
  float penX = centreX - width / 2.0f;
  Canvas mask(canvas.w, canvas.h);
  for (const Glyph& g : glyphs) {
    const uint32_t pitch = text::glyphPitch(g.m.blackBoxX);
    for (uint32_t row = 0; row < g.m.blackBoxY && !g.bits.empty(); ++row)
      for (uint32_t col = 0; col < g.m.blackBoxX; ++col) {
        const int x = int(penX) + g.m.originX + int(col), y = int(baseY) - g.m.originY + int(row);
        if (x < 0 || y < 0 || x >= canvas.w || y >= canvas.h) continue;
        mask.at(x, y).a = float(g.bits[row * pitch + col]) / 16.0f;
      }
    penX += float(g.m.cellIncX);
  }
  if (glow > 0) {
    const int r = int(glow);
    Colour halo = colour;
    for (int y = 0; y < canvas.h; ++y)
      for (int x = 0; x < canvas.w; ++x) {
        float sum = 0;
        int count = 0;
        for (int dy = -r; dy <= r; dy += 2)
          for (int dx = -r; dx <= r; dx += 2) {
            const int sx = x + dx, sy = y + dy;
            if (sx < 0 || sy < 0 || sx >= canvas.w || sy >= canvas.h) continue;
            sum += mask.at(sx, sy).a, ++count;
          }
        if (sum <= 0) continue;
        halo.a = 0.5f * sum / float(count);
        canvas.paint(
            x, y, x + 1, y + 1, [](float, float) { return 1.0f; }, [halo](float, float) { return halo; });
      }
  }
  for (int y = 0; y < canvas.h; ++y)
    for (int x = 0; x < canvas.w; ++x) {
      const float a = mask.at(x, y).a;
      if (a > 0)
        canvas.paint(
            x, y, x + 1, y + 1, [a](float, float) { return a; }, [colour](float, float) { return colour; });
    }
}

// ---- Pictures ----

void titleCard() {
  Canvas c(1024, 768);
  c.fill([](float x, float y) {
    const float d = std::hypot((x - 512.0f) / 700.0f, (y - 360.0f) / 520.0f);
    return mix(rgb(0x1d2a4a), rgb(0x04060d), smooth(0.0f, 1.0f, d));
  });
  // Fine drifting mist bands.
  Random rnd{7};
  for (int i = 0; i < 14; ++i) {
    const float y = 140.0f + rnd.next() * 500.0f, cx = rnd.next() * 1024.0f, rx = 180.0f + rnd.next() * 260.0f;
    c.glow(cx, y, rx, 12.0f + rnd.next() * 16.0f, rgb(0x8fa6c8, 0.12f + rnd.next() * 0.1f));
  }
  const Colour gold = rgb(0xe8c77a);
  c.paint(
      272, 452, 752, 454, [](float x, float) { return 1.0f - std::abs(x - 512.0f) / 240.0f; },
      [gold](float, float) { return gold; });
  drawText(c, "霧笛の灯台", "ＭＳ 明朝", 112, 512.0f, 410.0f, rgb(0xf4ead2), 8.0f);
  drawText(c, "Kestrelmoore demo", "ＭＳ 明朝", 30, 512.0f, 500.0f, rgb(0xb9c4d8), 0.0f);
  savePng("title.png", c);
}

// The harbour with its lighthouse, at dusk or at night.
void harbour(bool night) {
  Canvas c(1024, 768);
  const float horizon = 452.0f;
  const Colour skyTop = night ? rgb(0x03061a) : rgb(0x2b1d4f);
  const Colour skyMid = night ? rgb(0x0f1d45) : rgb(0xb9557a);
  const Colour skyLow = night ? rgb(0x27406e) : rgb(0xf6b26b);
  c.fill([&](float, float y) {
    if (y < horizon) {
      const float t = y / horizon;
      return t < 0.6f ? mix(skyTop, skyMid, t / 0.6f) : mix(skyMid, skyLow, (t - 0.6f) / 0.4f);
    }
    const float t = (y - horizon) / (768.0f - horizon);
    return mix(night ? rgb(0x14244a) : rgb(0x3a4a78), night ? rgb(0x03070f) : rgb(0x0f1730), t);
  });
  Random rnd{night ? 99u : 17u};
  if (night) {
    for (int i = 0; i < 260; ++i) {
      const float x = rnd.next() * 1024.0f, y = rnd.next() * (horizon - 60.0f), s = 0.6f + rnd.next() * 1.2f;
      c.ellipse(x, y, s, s, rgb(0xfff6e0, 0.35f + rnd.next() * 0.65f));
    }
    // The moon: a disc with a darker disc cut into it.
    c.glow(790, 150, 110, 110, rgb(0xe9eef8, 0.35f));
    c.ellipse(790, 150, 42, 42, rgb(0xf4f1e4));
    c.ellipse(806, 140, 38, 38, rgb(0x0b1535, 0.92f));
  } else {
    c.glow(700, horizon - 6, 260, 200, rgb(0xffd9a0, 0.6f));
    // The sun, half set: cut at the horizon.
    c.paint(
        640, int(horizon) - 66, 760, int(horizon),
        [=](float x, float y) { return std::min(58.5f - std::hypot(x - 700.0f, y - horizon + 6.0f), horizon - y); },
        [](float, float) { return rgb(0xffe2b0); });
    for (int i = 0; i < 8; ++i) {
      const float y = 90.0f + rnd.next() * 220.0f, x = rnd.next() * 1024.0f;
      c.glow(x, y, 140.0f + rnd.next() * 180.0f, 10.0f + rnd.next() * 8.0f, rgb(0xffc6a0, 0.55f));
    }
  }
  // Distant hills on the horizon.
  std::vector<std::pair<float, float>> hills{{1024, horizon + 1}, {0, horizon + 1}};
  for (int x = 0; x <= 1024; x += 16)
    hills.emplace_back(
        float(x), horizon - 18.0f - 16.0f * std::sin(float(x) * 0.011f) - 9.0f * std::sin(float(x) * 0.037f + 1.0f));
  c.polygon(hills, night ? rgb(0x0a1230) : rgb(0x4a2f5a));
  // Light on the water: short streaks under the sun or the moon.
  const float lightX = night ? 790.0f : 700.0f;
  for (int i = 0; i < 70; ++i) {
    const float y = horizon + 6.0f + rnd.next() * 300.0f;
    const float spread = 30.0f + (y - horizon) * 0.5f;
    const float x = lightX + (rnd.next() - 0.5f) * spread * 2.0f;
    c.ellipse(x, y, 8.0f + rnd.next() * 26.0f, 1.2f, night ? rgb(0xdfe8ff, 0.35f) : rgb(0xffe0a8, 0.5f));
  }
  // The cliff and the lighthouse on it.
  c.polygon({{0, 768}, {0, 330}, {70, 318}, {170, 352}, {260, 366}, {330, 420}, {380, 520}, {420, 768}},
            night ? rgb(0x05070f) : rgb(0x1e1428));
  const Colour wall = night ? rgb(0x8c95ad) : rgb(0xe9e1d8);
  const Colour band = night ? rgb(0x5a2430) : rgb(0xb3364a);
  c.polygon({{150, 352}, {228, 352}, {218, 182}, {160, 182}}, [&](float x, float y) {
    const bool striped = int((y - 182.0f) / 34.0f) % 2 == 1;
    const float shade = 0.75f + 0.25f * smooth(150.0f, 210.0f, x);
    Colour base = striped ? band : wall;
    return Colour{base.r * shade, base.g * shade, base.b * shade, 1.0f};
  });
  c.polygon({{150, 186}, {228, 186}, {232, 176}, {146, 176}}, rgb(0x2a2230));
  const Colour lamp = rgb(0xffe9a6);
  c.polygon({{163, 176}, {215, 176}, {213, 146}, {165, 146}}, lamp);
  c.polygon({{158, 146}, {220, 146}, {189, 118}}, rgb(0x2a2230));
  c.glow(189, 161, night ? 90.0f : 50.0f, night ? 90.0f : 50.0f, rgb(0xfff1b8, night ? 0.7f : 0.5f));
  if (night) {
    // The beam sweeping over the sea.
    c.polygon({{189, 161}, {1024, 60}, {1024, 300}},
              [](float x, float) { return rgb(0xfff4c8, 0.22f * (1.0f - smooth(189.0f, 1024.0f, x))); });
  }
  saveJpeg(night ? "bg_night.jpg" : "bg_harbor.jpg", c);
}

// Mio: a girl with long dark hair, a red scarf and a sand-coloured coat.
void charaMio() {
  Canvas c(360, 720);
  const Colour hair = rgb(0x2b1f2e), skin = rgb(0xf3d6c2), coat = rgb(0xd8c3a0), coatShade = rgb(0xb59f7e);
  const Colour scarf = rgb(0xc2363f), dark = rgb(0x3a3040);
  c.ellipse(180, 150, 88, 110, hair);                                // hair behind
  c.polygon({{96, 150}, {264, 150}, {282, 360}, {78, 360}}, hair);   // long hair
  c.polygon({{96, 560}, {140, 720}, {220, 720}, {264, 560}}, dark);  // legs
  c.polygon({{110, 270}, {250, 270}, {290, 600}, {70, 600}},
            [&](float x, float) { return mix(coat, coatShade, smooth(150.0f, 290.0f, x)); });  // coat
  c.polygon({{180, 300}, {186, 600}, {174, 600}}, coatShade);                                  // coat seam
  c.polygon({{110, 280}, {76, 300}, {56, 500}, {84, 510}, {112, 360}}, coatShade);             // left arm
  c.polygon({{250, 280}, {284, 300}, {304, 500}, {276, 510}, {248, 360}}, coatShade);          // right arm
  c.ellipse(70, 512, 16, 18, skin);
  c.ellipse(290, 512, 16, 18, skin);
  c.polygon({{166, 220}, {194, 220}, {196, 262}, {164, 262}}, skin);  // neck
  c.ellipse(180, 160, 64, 76, skin);                                  // face
  c.polygon({{112, 150}, {130, 92}, {180, 74}, {232, 92}, {250, 150}, {226, 118}, {190, 132}, {160, 112}, {132, 132}},
            hair);                           // fringe
  c.ellipse(156, 168, 7, 9, rgb(0x30263a));  // eyes
  c.ellipse(204, 168, 7, 9, rgb(0x30263a));
  c.ellipse(146, 192, 10, 5, rgb(0xf2a7a0, 0.6f));  // cheeks
  c.ellipse(214, 192, 10, 5, rgb(0xf2a7a0, 0.6f));
  c.polygon({{172, 204}, {188, 204}, {180, 209}}, rgb(0xb5646a));      // mouth
  c.polygon({{120, 252}, {240, 252}, {246, 292}, {114, 292}}, scarf);  // scarf
  c.polygon({{200, 286}, {232, 286}, {240, 390}, {212, 396}}, scarf);  // scarf end
  c.outline(3.0f, rgb(0x1a1420));
  savePng("chara_mio.png", c);
}

// The lighthouse keeper: a broad old man with a cap, a white beard and a navy coat.
void charaKeeper() {
  Canvas c(360, 720);
  const Colour navy = rgb(0x2c3a5e), navyShade = rgb(0x1f2a45), skin = rgb(0xe6c2a4), beard = rgb(0xeeeae2);
  c.polygon({{110, 580}, {130, 720}, {230, 720}, {250, 580}}, rgb(0x2a2a33));  // legs
  c.polygon({{84, 262}, {276, 262}, {318, 610}, {42, 610}},
            [&](float x, float) { return mix(navy, navyShade, smooth(160.0f, 318.0f, x)); });  // coat
  for (float y : {330.0f, 400.0f, 470.0f}) {
    c.ellipse(196, y, 7, 7, rgb(0xd9b45a));  // buttons
  }
  c.polygon({{84, 272}, {40, 300}, {22, 520}, {56, 532}, {88, 370}}, navyShade);  // arms
  c.polygon({{276, 272}, {320, 300}, {338, 520}, {304, 532}, {272, 370}}, navyShade);
  c.ellipse(38, 536, 18, 20, skin);
  c.ellipse(322, 536, 18, 20, skin);
  c.ellipse(180, 168, 66, 74, skin);                                   // face
  c.ellipse(180, 226, 70, 62, beard);                                  // beard
  c.polygon({{150, 196}, {210, 196}, {200, 212}, {160, 212}}, beard);  // moustache
  c.ellipse(154, 160, 6, 6, rgb(0x2a2530));                            // eyes
  c.ellipse(206, 160, 6, 6, rgb(0x2a2530));
  c.polygon({{138, 142}, {168, 138}, {168, 146}, {138, 148}}, beard);  // brows
  c.polygon({{192, 138}, {222, 142}, {222, 148}, {192, 146}}, beard);
  c.polygon({{106, 112}, {254, 112}, {246, 70}, {114, 70}}, navy);           // cap
  c.polygon({{96, 112}, {264, 112}, {280, 126}, {80, 126}}, rgb(0x151c30));  // brim
  c.polygon({{150, 86}, {210, 86}, {210, 98}, {150, 98}}, rgb(0xd9b45a));    // badge
  c.outline(3.0f, rgb(0x12141e));
  savePng("chara_keeper.png", c);
}

// The frame picture: 63 x 63, white; its outer 8 texels are the rim (alpha falls off inwards
// after a bright line), its middle is opaque. The window's vertex colours tint it.
void windowFrame() {
  Canvas c(63, 63);
  c.fill([](float x, float y) {
    const int d = int(std::min({x, y, 63.0f - x, 63.0f - y}));
    static const float rim[8] = {0.55f, 1.0f, 0.9f, 0.75f, 0.68f, 0.64f, 0.62f, 0.62f};
    return Colour{1, 1, 1, d < 8 ? rim[d] : 1.0f};
  });
  savePng("win_h.png", c);
}

// The click-wait cursor: the two faces of a turning coin, and the three pulses of the reaction
// mode. 32 x 32, so the picture fills its texture.
void cursorChips() {
  const Colour gold = rgb(0xffd65a), goldDark = rgb(0xb9861c), edge = rgb(0x6b4a0c);
  Canvas face(32, 32);
  face.ellipse(16, 16, 13, 13, edge);
  face.ellipseShaded(16, 16, 11.5f, 11.5f,
                     [&](float x, float y) { return mix(gold, goldDark, (x + y - 10.0f) / 30.0f); });
  face.polygon({{16, 7},
                {18.4f, 13.2f},
                {25, 13.4f},
                {19.8f, 17.4f},
                {21.6f, 24},
                {16, 20.2f},
                {10.4f, 24},
                {12.2f, 17.4f},
                {7, 13.4f},
                {13.6f, 13.2f}},
               rgb(0xfff3c0));
  savePng("cur0.png", face);
  Canvas back(32, 32);
  back.ellipse(16, 16, 13, 13, edge);
  back.ellipseShaded(16, 16, 11.5f, 11.5f,
                     [&](float x, float y) { return mix(goldDark, gold, (x + y - 10.0f) / 30.0f); });
  back.ellipse(16, 16, 6, 6, rgb(0xfff3c0, 0.9f));
  back.ellipse(16, 16, 3.5f, 3.5f, goldDark);
  savePng("cur1.png", back);
  const char* names[3] = {"cur10.png", "cur11.png", "cur12.png"};
  for (int i = 0; i < 3; ++i) {
    Canvas pulse(32, 32);
    const float r = 6.0f + 3.5f * float(i);
    pulse.ellipse(16, 16, r + 1.5f, r + 1.5f, rgb(0xff7a9a, 0.5f));
    pulse.ellipse(16, 16, r, r, rgb(0xffd0dc));
    savePng(names[i], pulse);
  }
}

// A rounded rectangle's coverage (one-pixel soft edge).
float roundedBox(float x, float y, float x0, float y0, float x1, float y1, float r) {
  const float cx = std::clamp(x, x0 + r, x1 - r), cy = std::clamp(y, y0 + r, y1 - r);
  return 0.5f - (std::hypot(x - cx, y - cy) - r);
}

// A button strip of five cw x ch cells (disabled, normal, hover, pressed, clicked) with the
// caption in each (none when empty: the engine types the dialog buttons' captions itself).
void buttonStrip(const char* name, const char* caption, int cw, int ch, int textPx, float radius) {
  Canvas c(cw * 5, ch);
  const uint32_t fills[5] = {0x3a3d46, 0x24345a, 0x34508a, 0x18223c, 0x8a6a24};
  const uint32_t rims[5] = {0x5a5d66, 0x8aa0d0, 0xd8e6ff, 0x6a80b0, 0xffe08a};
  const uint32_t inks[5] = {0x8a8d96, 0xf4ead2, 0xffffff, 0xc8d0e0, 0xfff6d8};
  for (int i = 0; i < 5; ++i) {
    const float x0 = float(i * cw) + 3.0f, x1 = float((i + 1) * cw) - 3.0f;
    c.paint(
        i * cw, 0, (i + 1) * cw, ch,
        [=](float x, float y) { return roundedBox(x, y, x0, 3.0f, x1, float(ch) - 3.0f, radius); },
        [&](float, float) { return rgb(rims[i]); });
    c.paint(
        i * cw, 0, (i + 1) * cw, ch,
        [=](float x, float y) { return roundedBox(x, y, x0 + 3, 6.0f, x1 - 3, float(ch) - 6.0f, radius - 3.0f); },
        [&](float, float y) { return mix(rgb(fills[i]), rgb((fills[i] >> 1) & 0x7f7f7fu), y / float(ch)); });
    if (caption[0] != '\0')
      drawText(c, caption, "ＭＳ ゴシック", textPx, float(i * cw) + float(cw) / 2.0f + (i == 3 ? 1.0f : 0.0f),
               float(ch) / 2.0f + float(textPx) * 0.38f + (i == 3 ? 1.0f : 0.0f), rgb(inks[i]), 0.0f);
  }
  savePng(name, c);
}

// The settings panel's start button; the backlog and help buttons at the top right; the
// dialogs' and voice buttons' plain strip.
void buttons() {
  buttonStrip("btn_start.png", "はじめる", 200, 56, 26, 12.0f);
  buttonStrip("btn_history.png", "履歴", 120, 40, 22, 9.0f);
  buttonStrip("btn_help.png", "ヘルプ", 120, 40, 22, 9.0f);
  buttonStrip("winBtn00.png", "", 100, 30, 0, 8.0f);
}

// A voice: a few sung notes (16-bit mono PCM WAV, 22050 Hz) with soft edges.
void saveVoice(const std::string& name, const std::vector<float>& notesHz, float noteSeconds) {
  const uint32_t rate = 22050;
  const uint32_t perNote = uint32_t(noteSeconds * float(rate));
  std::vector<int16_t> samples;
  for (float hz : notesHz)
    for (uint32_t i = 0; i < perNote; ++i) {
      const float t = float(i) / float(rate);
      const float envelope = std::min({1.0f, float(i) / 400.0f, float(perNote - i) / 800.0f});
      const float wave = std::sin(6.2831853f * hz * t) + 0.3f * std::sin(6.2831853f * 2.0f * hz * t);
      samples.push_back(int16_t(wave * envelope * 9000.0f));
    }
  std::vector<uint8_t> b;
  auto u16 = [&](uint32_t v) { b.push_back(uint8_t(v)), b.push_back(uint8_t(v >> 8)); };
  auto u32 = [&](uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
  const uint32_t dataBytes = uint32_t(samples.size() * 2);
  b.insert(b.end(), {'R', 'I', 'F', 'F'});
  u32(36 + dataBytes);
  b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  u32(16), u16(1), u16(1), u32(rate), u32(rate * 2), u16(2), u16(16);
  b.insert(b.end(), {'d', 'a', 't', 'a'});
  u32(dataBytes);
  for (int16_t v : samples) u16(uint16_t(v));
  save(name, b);
}

void voices() {
  saveVoice("voice_mio.wav", {660.0f, 740.0f, 880.0f, 784.0f}, 0.16f);
  saveVoice("voice_keeper.wav", {196.0f, 220.0f, 175.0f}, 0.24f);
}

// The check button: four 40 x 40 cells (disabled, normal, hover, and the check mark drawn over
// the others).
void checkBox() {
  Canvas c(160, 40);
  const uint32_t rims[3] = {0x5a5d66, 0x8aa0d0, 0xd8e6ff};
  for (int i = 0; i < 3; ++i) {
    const float x0 = float(i * 40);
    c.paint(
        i * 40, 0, i * 40 + 40, 40, [=](float x, float y) { return roundedBox(x, y, x0 + 4, 4, x0 + 36, 36, 6); },
        [&](float, float) { return rgb(rims[i]); });
    c.paint(
        i * 40, 0, i * 40 + 40, 40, [=](float x, float y) { return roundedBox(x, y, x0 + 7, 7, x0 + 33, 33, 4); },
        [](float, float) { return rgb(0x18223c); });
  }
  c.polygon({{130, 20}, {136, 14}, {141, 22}, {154, 6}, {159, 12}, {141, 33}}, rgb(0xffe08a));
  savePng("check.png", c);
}

// A click map: a palette-indexed BMP (1, 4 or 8 bits) whose pixel values are region numbers,
// given by region(x, y) at pixel centres with y from the top. The palette only helps an editor.
void saveClickMap(const std::string& name, int width, int height, int bits,
                  const std::function<int(float x, float y)>& region) {
  const uint32_t rowBytes = ((uint32_t(width) * uint32_t(bits) + 31) / 32) * 4;
  const uint32_t dataBytes = rowBytes * uint32_t(height);
  const uint32_t paletteBytes = 4u << bits;
  std::vector<uint8_t> b;
  auto u16 = [&](uint32_t v) { b.push_back(uint8_t(v)), b.push_back(uint8_t(v >> 8)); };
  auto u32 = [&](uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
  b.push_back('B'), b.push_back('M');
  u32(54 + paletteBytes + dataBytes), u32(0), u32(54 + paletteBytes);
  u32(40), u32(uint32_t(width)), u32(uint32_t(height)), u16(1), u16(uint16_t(bits)), u32(0), u32(dataBytes), u32(2835),
      u32(2835), u32(0), u32(0);
  for (uint32_t i = 0; i < (1u << bits); ++i) u32(i == 0 ? 0 : 0x00FF0000u >> (8 * (i % 3)));
  // Rows bottom first; 4 bits: the even column in the high nibble; 1 bit: column x in bit x mod 8.
  for (int row = height - 1; row >= 0; --row) {
    std::vector<uint8_t> line(rowBytes, 0);
    for (int x = 0; x < width; ++x) {
      const uint32_t v = uint32_t(region(float(x) + 0.5f, float(row) + 0.5f)) & ((1u << bits) - 1);
      if (bits == 8) line[size_t(x)] = uint8_t(v);
      if (bits == 4) line[size_t(x / 2)] |= uint8_t(x % 2 == 0 ? v << 4 : v);
      if (bits == 1) line[size_t(x / 8)] |= uint8_t(v << (x % 8));
    }
    b.insert(b.end(), line.begin(), line.end());
  }
  save(name, b);
}

bool inEllipse(float x, float y, float cx, float cy, float rx, float ry) {
  const float dx = (x - cx) / rx, dy = (y - cy) / ry;
  return dx * dx + dy * dy <= 1.0f;
}

// The keeper's click map at a quarter of his picture's size: region 1 his head and cap, region
// 2 his coat.
void keeperClickMap() {
  saveClickMap("chara_keeper_c.bmp", 90, 180, 4, [](float x, float y) {
    x *= 4.0f, y *= 4.0f;
    if (inEllipse(x, y, 180, 170, 80, 110)) return 1;
    if (x > 60 && x < 300 && y > 262 && y < 600) return 2;
    return 0;
  });
}

// The lamp-room event picture: the lamp behind its lens in the middle of a dark room with a
// window on the sea (layer 0), and a gull on the rail (layer 1, transparent around it). Their
// click maps: the lamp (8 bits) and the gull (1 bit).
void lampRoomEvent() {
  Canvas room(512, 384);
  room.fill([](float, float y) { return mix(rgb(0x141a2e), rgb(0x26304a), y / 384.0f); });
  room.polygon({{300, 40}, {490, 40}, {490, 250}, {300, 250}},
               [](float, float y) { return mix(rgb(0x1b2a52), rgb(0x38507e), y / 250.0f); });
  room.polygon({{300, 140}, {490, 140}, {490, 146}, {300, 146}}, rgb(0x0d1020));
  room.polygon({{392, 40}, {398, 40}, {398, 250}, {392, 250}}, rgb(0x0d1020));
  room.polygon({{0, 300}, {512, 300}, {512, 384}, {0, 384}}, rgb(0x1a1620));
  room.polygon({{110, 300}, {230, 300}, {214, 250}, {126, 250}}, rgb(0x3a3440));
  room.glow(170, 180, 150, 150, rgb(0xfff1b8, 0.45f));
  room.ellipse(170, 180, 62, 72, rgb(0x8a7a40));
  room.ellipseShaded(170, 180, 54, 64, [](float x, float y) {
    return mix(rgb(0xfffbe0), rgb(0xf2c050), std::hypot(x - 170.0f, y - 180.0f) / 64.0f);
  });
  for (float yy : {150.0f, 180.0f, 210.0f})
    room.polygon({{118, yy}, {222, yy}, {222, yy + 3}, {118, yy + 3}}, rgb(0xd8a840, 0.7f));
  savePng("ev_lamp.png", room);
  saveClickMap("ev_lamp_c.bmp", 64, 48, 8,
               [](float x, float y) { return inEllipse(x * 8, y * 8, 170, 180, 62, 72) ? 1 : 0; });

  Canvas gull(128, 128);
  gull.ellipse(64, 78, 40, 22, rgb(0xf2f2f0));                              // body
  gull.polygon({{40, 70}, {96, 40}, {104, 52}, {62, 84}}, rgb(0xb8bcc4));   // wing
  gull.ellipse(100, 62, 14, 13, rgb(0xf2f2f0));                             // head
  gull.polygon({{110, 60}, {126, 64}, {110, 68}}, rgb(0xf0b030));           // beak
  gull.ellipse(104, 58, 2.5f, 2.5f, rgb(0x202020));                         // eye
  gull.polygon({{56, 98}, {60, 120}, {64, 120}, {62, 98}}, rgb(0xe09a30));  // legs
  gull.polygon({{70, 98}, {74, 120}, {78, 120}, {76, 98}}, rgb(0xe09a30));
  gull.outline(2.0f, rgb(0x30343c));
  savePng("ev_lamp_l1.png", gull);
  saveClickMap("ev_lamp_l1_c.bmp", 32, 32, 1, [](float x, float y) {
    x *= 4, y *= 4;
    return (inEllipse(x, y, 64, 78, 42, 24) || inEllipse(x, y, 100, 62, 16, 15)) ? 1 : 0;
  });
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: km_demo_art OUTDIR\n");
    return 2;
  }
  g_outDir = argv[1];
  titleCard();
  harbour(false);
  harbour(true);
  charaMio();
  charaKeeper();
  windowFrame();
  cursorChips();
  buttons();
  checkBox();
  voices();
  saveSolidBmp("white.bmp", 32, 0xFFFFFF);
  keeperClickMap();
  lampRoomEvent();
  return g_failures == 0 ? 0 : 1;
}
