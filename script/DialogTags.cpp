// The exit confirmation and the help: their layout through the tag interpreter, and the tags
// ExitConfirm and DispHelp.
#include <string>

#include "platform/Encoding.h"
#include "scene/C_BaseScene.h"
#include "script/C_EventMain.h"
#include "script/Dialogs.h"
#include "script/TagTable.h"
#include "window/C_DialogSet.h"
#include "window/C_MultiWindowSet.h"
#include "window/SceneDialogs.h"
#include "window/SceneWindows.h"
#include "window/WindowOperations.h"

namespace script {

namespace {

// One step of the exit confirmation's layout: a tag line, or a text for a window.
struct LayoutStep {
  const char* tagLine = nullptr;  // nullptr: the text below goes to (type, page)
  const char* type = nullptr;
  int page = 0;
  const char* text = nullptr;
};

// UTF-8 here; code page 932 when run.
constexpr LayoutStep kExitConfirmLayout[] = {
    {"@[SetWindow type=\"DIALOG\" page=\"0\" file=\"win_h.png\" width=\"400\" height=\"250\" pos_x=\"0\" pos_y=\"0\"]"},
    {"@[SetTextArea type=\"DIALOG\" page=\"0\" left=\"103\" top=\"58\" right=\"740\" bottom=\"130\"]"},
    {"@[SetFont type=\"DIALOG\" page=\"0\" font_type=\"0\" size=\"26\" fontname=\"ＭＳ ゴシック\" bold=\"400\"]"},
    {"@[SetFontSpeed type=\"DIALOG\" page=\"0\" speed=\"0\"]"},
    {"@[DrawWindow type=\"DIALOG\" page=\"0\"]"},
    {nullptr, "DIALOG", 0, "終了しますか？"},
    {"@[SetWindow type=\"D_BTN\" page=\"0\" file=\"winBtn00.png\" width=\"100\" height=\"30\" pos_x=\"-70\" "
     "pos_y=\"80\"]"},
    {"@[SetTextArea type=\"D_BTN\" page=\"0\" left=\"22\" top=\"2\" right=\"280\" bottom=\"38\"]"},
    {"@[SetFont type=\"D_BTN\" page=\"0\" font_type=\"0\" size=\"20\" fontname=\"ＭＳ ゴシック\" bold=\"0\"]"},
    {"@[SetFontSpeed type=\"D_BTN\" page=\"0\" speed=\"0\"]"},
    {"@[SetButtonEvent type=\"D_BTN\" page=\"0\" file=\"\" label=\"\"]"},
    {"@[BindWindow type=\"D_BTN\" page=\"0\" parent_type=\"DIALOG\" parent_page=\"0\"]"},
    {"@[DrawWindow type=\"D_BTN\" page=\"0\"]"},
    {nullptr, "D_BTN", 0, "ＹＥＳ"},
    {"@[SetWindow type=\"D_BTN\" page=\"1\" file=\"winBtn00.png\" width=\"100\" height=\"30\" pos_x=\"70\" "
     "pos_y=\"80\"]"},
    {"@[SetTextArea type=\"D_BTN\" page=\"1\" left=\"30\" top=\"2\" right=\"280\" bottom=\"38\"]"},
    {"@[SetFont type=\"D_BTN\" page=\"1\" font_type=\"0\" size=\"20\" fontname=\"ＭＳ ゴシック\" bold=\"0\"]"},
    {"@[SetFontSpeed type=\"D_BTN\" page=\"1\" speed=\"0\"]"},
    {"@[SetButtonEvent type=\"D_BTN\" page=\"1\" file=\"\" label=\"\"]"},
    {"@[BindWindow type=\"D_BTN\" page=\"1\" parent_type=\"DIALOG\" parent_page=\"0\"]"},
    {"@[DrawWindow type=\"D_BTN\" page=\"1\"]"},
    {nullptr, "D_BTN", 1, "ＮＯ"},
    {"@[DrawWindow type=\"MES\" page=\"0\"]"},
};

// The tag lines address the driven scene: the dialog's scene drives them while they run (the
// title and 3D scenes have no script of their own).
class DrivenSceneScope {
 public:
  DrivenSceneScope(C_EventMain& events, scene::C_BaseScene& scene) : events_(events), saved_(events.drivenScene) {
    events_.drivenScene = &scene;
  }
  ~DrivenSceneScope() { events_.drivenScene = saved_; }
  DrivenSceneScope(const DrivenSceneScope&) = delete;
  DrivenSceneScope& operator=(const DrivenSceneScope&) = delete;

 private:
  C_EventMain& events_;
  scene::C_BaseScene* saved_;
};

bool ExitConfirm(C_EventMain& events, const TagTokens&) {
  if (events.drivenScene && window::LookUpWindow(*events.drivenScene, "DIALOG", 0))
    OpenExitConfirm(events, *events.drivenScene);
  return true;
}

bool DispHelp(C_EventMain& events, const TagTokens&) {
  if (events.drivenScene) OpenHelp(events, *events.drivenScene);
  return true;
}

}  // namespace

void OpenExitConfirm(C_EventMain& events, scene::C_BaseScene& scene) {
  window::C_DialogSet* dialog = scene.dialog.get();
  if (!dialog || dialog->pending || dialog->showing()) return;
  // Set now; the SetWindow line clears it and it is set once more at the end.
  dialog->pending = true;
  {
    const DrivenSceneScope scope(events, scene);
    for (const LayoutStep& step : kExitConfirmLayout) {
      if (step.tagLine) {
        events.ExecuteTagLine(platform::utf8ToCp932(step.tagLine));
      } else {
        window::SetTextWindow(scene, events.flags, events.history, step.type, step.page,
                              platform::utf8ToCp932(step.text));
      }
    }
  }
  // The dialog reads its buttons' releases itself: a click on them starts no event.
  for (auto& button : dialog->buttons) button->eventSuppressed = true;
  dialog->open(50);
  dialog->pending = true;
}

void OpenHelp(C_EventMain& events, scene::C_BaseScene& scene) {
  window::C_MultiWindowSet* set = scene.windowSet.get();
  if (!set || !window::LayOutHelp(*set)) return;
  {
    const DrivenSceneScope scope(events, scene);
    events.ExecuteTagLine("@[DrawWindow type=\"MES\" page=\"0\"]");
  }
  window::OpenHelpSet(*set);
}

void RegisterDialogTags(TagTable& table) {
  table.add("ExitConfirm", ExitConfirm, "");
  table.add("DispHelp", DispHelp, "");
}

}  // namespace script
