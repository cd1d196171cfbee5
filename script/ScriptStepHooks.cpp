// The script step's hooks and the one list that installs them.
#include "script/ScriptStepHooks.h"

#include "chara/PlainCharas.h"
#include "chara/SolidCharas.h"
#include "sound/VoiceTag.h"
#include "window/SceneWindows.h"

namespace script {

ScriptStepHooks& scriptStepHooks() {
  static ScriptStepHooks hooks;
  return hooks;
}

void InstallScriptStepHooks(ScriptStepHooks& hooks) {
  // Each subsystem that owns members of the script scene (windows, characters, background) or
  // the voices (sound player) adds its functions here, in the members' dispatch order.
  hooks = ScriptStepHooks{};
  hooks.finishAnimations.push_back(chara::FinishBackgroundAnimations);
  hooks.finishAnimations.push_back(chara::FinishPlainCharaAnimations);
  hooks.finishAnimations.push_back(chara::FinishSolidCharaAnimations);
  hooks.finishAnimations.push_back(window::FinishMessageWindows);
  hooks.clearMessagePages.push_back(window::ClearMessagePages);
  hooks.messageWindowAtEndOfText = window::AnyMessageWindowAtEndOfText;
  hooks.voicePlaying = sound::SoundPlayerVoicePlaying;
}

bool AnyMessageWindowAtEndOfText(const scene::C_BaseScene& scene) {
  const ScriptStepHooks& hooks = scriptStepHooks();
  return hooks.messageWindowAtEndOfText && hooks.messageWindowAtEndOfText(scene);
}

bool VoicePlaying() {
  const ScriptStepHooks& hooks = scriptStepHooks();
  return hooks.voicePlaying && hooks.voicePlaying();
}

}  // namespace script
