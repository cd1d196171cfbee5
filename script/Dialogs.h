// The two built-in dialogs as the event system opens them: the exit confirmation, laid out by
// running its tag lines as a script would, and the help on the window set.
#pragma once

namespace scene {
class C_BaseScene;
}

namespace script {

class C_EventMain;

// Opens the exit confirmation on the scene's dialog, unless a question is pending or the dialog
// is already showing. The tag lines address this scene.
void OpenExitConfirm(C_EventMain& events, scene::C_BaseScene& scene);

// Opens the help on the scene's window set, unless it is showing or open already.
void OpenHelp(C_EventMain& events, scene::C_BaseScene& scene);

}  // namespace script
