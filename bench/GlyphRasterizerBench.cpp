// Cost of rasterising typed characters: the size query and the bitmap of one character.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Encoding.h"
#include "text/Cp932.h"
#include "text/GlyphRasterizer.h"

namespace {

// A message page's worth of ordinary text: kanji, kana and punctuation, mostly distinct.
const char* const kPageUtf8 =
    "霧の立ちこめる港町に、古い灯台がひとつ残っている。夜になると、誰もいないはずの塔の上で、"
    "小さな明かりが揺れるのだという。町の子どもたちは、それを「灯台守の幽霊」と呼んで怖がった。"
    "けれど私は知っている。あの光は、帰らなかった船を待ち続ける祖母の、古いランプの火なのだ。"
    "今夜もまた、潮風が窓を叩く。私は外套を羽織り、坂道を下っていった。";

std::vector<uint32_t> pageCodes() {
  std::vector<uint32_t> codes;
  const std::string page = platform::utf8ToCp932(kPageUtf8);
  for (const text::Cp932Character& c : text::Cp932Characters(page)) codes.push_back(c.code);
  return codes;
}

std::unique_ptr<text::Font> windowFont(int32_t fontSize) {
  static std::unique_ptr<text::GlyphRasterizer> rasterizer = text::GlyphRasterizer::create();
  text::LogicalFont lf;
  lf.height = 2 * fontSize;
  lf.weight = text::logfont::WeightNormal;
  lf.charSet = text::logfont::ShiftJisCharset;
  lf.outPrecision = text::logfont::OutTtOnlyPrecis;
  lf.quality = text::logfont::ProofQuality;
  lf.pitchAndFamily = text::logfont::FixedPitchModern;
  lf.faceName = CP932("ＭＳ ゴシック");
  return rasterizer ? rasterizer->createFont(lf) : nullptr;
}

// What typing one character costs the window: ask the size, then fetch the bitmap.
void typeOne(text::Font& font, uint32_t code, std::vector<uint8_t>& buffer) {
  text::GlyphMetrics metrics;
  const uint32_t bytes = font.glyphOutline(code, metrics, nullptr, 0);
  if (bytes == text::GdiError || bytes == 0) return;
  if (buffer.size() < bytes) buffer.resize(bytes);
  benchmark::DoNotOptimize(font.glyphOutline(code, metrics, buffer.data(), bytes));
  benchmark::DoNotOptimize(buffer.data());
}

// Every character a new one, as when a page types out.
void BM_RasteriseNextCharacterOfPage(benchmark::State& state) {
  auto font = windowFont(static_cast<int32_t>(state.range(0)));
  if (!font) return state.SkipWithError("no font");
  const std::vector<uint32_t> codes = pageCodes();
  std::vector<uint8_t> buffer;
  size_t next = 0;
  for (auto _ : state) {
    typeOne(*font, codes[next], buffer);
    next = next + 1 == codes.size() ? 0 : next + 1;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RasteriseNextCharacterOfPage)->Arg(15)->Arg(30)->Arg(48)->Unit(benchmark::kMicrosecond);

// The same character again (its bitmap is still the font's last one).
void BM_RasteriseSameCharacterAgain(benchmark::State& state) {
  auto font = windowFont(static_cast<int32_t>(state.range(0)));
  if (!font) return state.SkipWithError("no font");
  std::vector<uint8_t> buffer;
  const uint32_t code = 0x889F;  // 亜
  typeOne(*font, code, buffer);
  for (auto _ : state) typeOne(*font, code, buffer);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RasteriseSameCharacterAgain)->Arg(30)->Unit(benchmark::kMicrosecond);

// A whole page at speed 0: every character rasterised in one frame.
void BM_RasteriseWholePage(benchmark::State& state) {
  auto font = windowFont(30);
  if (!font) return state.SkipWithError("no font");
  const std::vector<uint32_t> codes = pageCodes();
  std::vector<uint8_t> buffer;
  for (auto _ : state) {
    for (uint32_t code : codes) typeOne(*font, code, buffer);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(codes.size()));
  state.counters["characters"] = static_cast<double>(codes.size());
}
BENCHMARK(BM_RasteriseWholePage)->Unit(benchmark::kMillisecond);

}  // namespace
