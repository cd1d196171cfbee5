// What the script scene's script step asks of the scene's members and of the sound player. The
// subsystems that own the answers fill these in InstallScriptStepHooks (ScriptStepHooks.cpp),
// one explicit list run when the event system is created. Until they do: nothing is left to
// finish, no page to clear, no message window reports the end of its text, no voice plays.
#pragma once

#include <vector>

namespace scene {
class C_BaseScene;
}

namespace script {

struct ScriptStepHooks {
  // A click or skip while the scene is busy: every layer and window of the scene finishes its
  // animation at once (text shows completely, moves jump to their end), message windows then
  // run their completed-text step. Called in order.
  std::vector<void (*)(scene::C_BaseScene&)> finishAnimations;
  // A click or skip on a still screen: every message window's text operation with the empty
  // text and true, so the page is cleared for the next text. Called in order.
  std::vector<void (*)(scene::C_BaseScene&)> clearMessagePages;
  // Auto mode: at least one message window of the scene has its end-of-text state set.
  bool (*messageWindowAtEndOfText)(const scene::C_BaseScene&) = nullptr;
  // Auto mode: a sound buffer of the voice range [g_Scr_SoundBufFirst, g_Scr_SoundBufEnd)
  // is playing.
  bool (*voicePlaying)() = nullptr;
};

// The process's hooks.
ScriptStepHooks& scriptStepHooks();

// Fills the hooks from every subsystem that answers them (called by the event system's init).
void InstallScriptStepHooks(ScriptStepHooks& hooks);

// The questions as the script step asks them (false when nobody answers).
bool AnyMessageWindowAtEndOfText(const scene::C_BaseScene& scene);
bool VoicePlaying();

}  // namespace script
