// Event scripts: translating a 200 KB script, and running Lua lines without waits.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "platform/Encoding.h"
#include "script/C_EventMain.h"
#include "script/EventScriptTranslator.h"
#include "script/LuaHost.h"

namespace {

// A mix of what scripts hold: tags, Lua lines, labels, comments and three-line text blocks.
std::string MixedScript(size_t targetBytes) {
  const std::string block = platform::utf8ToCp932(
      "@[DrawWindow type=\"MES\" page=\"0\"]\n"
      "ScSetFlag(\"T_count\", ScGetFlagNum(\"T_count\") + 1) -- count\n"
      "*lbl_scene\n"
      "\t@[Wait time=\"100\"]\n"
      "これは本文の一行目です。\n"
      "二行目はもう少し長くなっています。\n"
      "三行目。\n"
      "@[PageBreak]\n"
      "/ a dropped comment line\n"
      "x = [[long\n"
      "string]]\n"
      "@[CompareJump exp={&T_count >= 3} label_true=\"*lbl_a\" label_false=\"*lbl_b\"]\n");
  std::string script;
  while (script.size() + block.size() <= targetBytes) script += block;
  return script;
}

void BM_Translate200KB(benchmark::State& state) {
  const std::string script = MixedScript(200 * 1024);
  for (auto _ : state) {
    auto table = script::TranslateEventSource(script.data(), script.size());
    benchmark::DoNotOptimize(table.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(script.size()));
}
BENCHMARK(BM_Translate200KB)->Unit(benchmark::kMillisecond);

// 10,000 Lua lines without a wait, run by one frame update; reports lines per second.
void BM_Run10000LuaLines(benchmark::State& state) {
  script::LuaHost host;
  host.create();
  engine::context().lua = &host;
  auto eventsOwner = std::make_unique<script::C_EventMain>(host.scriptState);
  script::C_EventMain& events = *eventsOwner;
  events.init();
  engine::context().eventMain = &events;
  std::vector<std::string> lines;
  for (int i = 0; i < 10000; ++i) lines.push_back("ScSetFlag(\"T_n\", " + std::to_string(i) + ")");
  for (auto _ : state) {
    events.lineTable = lines;
    events.lineIndex = 0;
    events.running = true;
    events.EventFrameUpdate();
  }
  state.counters["lines/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * 10000.0, benchmark::Counter::kIsRate);
  engine::context().eventMain = nullptr;
  eventsOwner.reset();
  engine::context().lua = nullptr;
  host.close();
}
BENCHMARK(BM_Run10000LuaLines)->Unit(benchmark::kMillisecond);

}  // namespace
