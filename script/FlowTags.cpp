// The program and flow tags: test, exit, dialogs, save name, waits, fades, jumps, calls,
// returns, loops and the comparison jump.
#include <string>

#include "engine/Engine.h"
#include "engine/ScreenFade.h"
#include "platform/Encoding.h"
#include "platform/Platform.h"
#include "script/C_EventMain.h"
#include "script/Comparison.h"
#include "script/TagAttributes.h"
#include "script/TagTable.h"

namespace script {

namespace {

bool DoNothing(C_EventMain&, const TagTokens&) { return true; }

bool ExitGame(C_EventMain&, const TagTokens&) {
  if (platform::Platform* p = engine::context().platform) p->window().destroyWindow();
  return true;
}

bool SetSaveName(C_EventMain& events, const TagTokens& tokens) {
  std::string name;
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (key == "name") name = value;
  });
  events.saveName = name;
  return true;
}

bool Wait(C_EventMain& events, const TagTokens& tokens) {
  int32_t time = 0;
  bool cancel = false;  // read, changes nothing
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (key == "time") time = TagInt(value);
    if (key == "cancel") cancel = TagBool(value, {"true", "TRUE"});
  });
  (void)cancel;
  events.Wait(time);
  return true;
}

// WaitClick and PageBreak.
bool WaitClick(C_EventMain& events, const TagTokens&) {
  events.WaitClick();
  return true;
}

bool WaitChara(C_EventMain& events, const TagTokens&) {
  events.WaitChara();
  return true;
}

bool Fade(C_EventMain& events, const TagTokens& tokens, int32_t direction) {
  int32_t time = 0;
  uint32_t colour = 0xFFFFFFFFu;
  bool cancel = false;  // read, changes nothing
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (key == "time") time = TagInt(value);
    if (key == "color") colour = TagColour(value);
    if (key == "cancel") cancel = TagBool(value, {"true", "TRUE"});
  });
  (void)cancel;
  engine::StartScreenFade(direction, time, colour);
  return true;
}

bool AllFadeIn(C_EventMain& events, const TagTokens& tokens) { return Fade(events, tokens, -1); }
bool AllFadeOut(C_EventMain& events, const TagTokens& tokens) { return Fade(events, tokens, 1); }

void ReadFileAndLabel(const C_EventMain& events, const TagTokens& tokens, std::string& file, std::string& label) {
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (key == "file") file = value;
    if (key == "label") label = value;
  });
}

bool Jump(C_EventMain& events, const TagTokens& tokens) {
  std::string file, label;
  ReadFileAndLabel(events, tokens, file, label);
  events.EventJump(file, label);
  return true;
}

bool Call(C_EventMain& events, const TagTokens& tokens) {
  std::string file, label;
  ReadFileAndLabel(events, tokens, file, label);
  events.EventCall(file, label);
  return true;
}

bool Return(C_EventMain& events, const TagTokens&) {
  events.Return();
  return true;
}

bool Loop(C_EventMain& events, const TagTokens& tokens) {
  int32_t count = 1;
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (key == "count") count = TagInt(value);
  });
  events.Loop(count);
  return true;
}

bool EndLoop(C_EventMain& events, const TagTokens&) {
  events.EndLoop();
  return true;
}

bool CompareJump(C_EventMain& events, const TagTokens& tokens) {
  std::string exp, labelTrue, labelFalse;
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (key == "exp") exp = value;
    if (key == "label_true") labelTrue = value;
    if (key == "label_false") labelFalse = value;
  });
  const std::optional<CompareExpression> expression =
      exp.empty() ? std::nullopt : ParseCompareExpression(exp, events.flags);
  if (!expression) {
    platform::messageBox(CP932("@[CompareJump]の指定エラー"), CP932("エラー"), platform::mb::Ok);
    return true;
  }
  const bool holds = CompareOperands(expression->left, expression->op, expression->right);
  events.JumpToLabel(holds ? labelTrue : labelFalse);
  return true;
}

}  // namespace

void RegisterFlowTags(TagTable& table) {
  table.add("ESc_TEST", DoNothing, "");
  table.add("ExitGame", ExitGame, "");
  // Placeholders: script/DialogTags.cpp registers the dialogs' handlers for these two.
  table.add("ExitConfirm", DoNothing, "");
  table.add("DispHelp", DoNothing, "");
  table.add("SetSaveName", SetSaveName, "name:s");
  table.add("Wait", Wait, "time:i cancel:b");
  table.add("WaitClick", WaitClick, "");
  table.add("WaitChara", WaitChara, "");
  table.add("PageBreak", WaitClick, "");
  table.add("AllFadeIn", AllFadeIn, "time:i color:c cancel:b");
  table.add("AllFadeOut", AllFadeOut, "time:i color:c cancel:b");
  table.add("Jump", Jump, "file:s label:s");
  table.add("Call", Call, "file:s label:s");
  table.add("Return", Return, "");
  table.add("Loop", Loop, "count:i");
  table.add("EndLoop", EndLoop, "");
  table.add("CompareJump", CompareJump, "exp:s label_true:s label_false:s");
}

}  // namespace script
