// The dialog set and the help in a scene's frame.
#include "window/SceneDialogs.h"

#include <string>

#include "engine/Engine.h"
#include "platform/Encoding.h"
#include "platform/Platform.h"
#include "scene/C_BaseScene.h"
#include "window/C_ButtonLayer.h"
#include "window/C_DialogSet.h"
#include "window/C_MultiWindowSet.h"
#include "window/WindowOperations.h"

namespace window {

namespace {

// The controls in two columns, a line each; an empty left cell is an empty line.
const char* const kHelpLeft =
    "[左クリック]\n"
    "[キャラを左クリック]\n"
    "\n"
    "\n"
    "\n"
    "[キャラを左ドラッグ]\n"
    "[Ｅｓｃキー]\n"
    "[Ｓｐａｃｅキー]\n"
    "\n"
    "[Ｃｔｒｌキー]\n";
const char* const kHelpRight =
    "メッセージを読み進めます\n"
    "マウスカーソルが「手」になっている場合、胸等が揺れます\n"
    "キャラに応じた反応を返し、その間はメッセージ送りカーソルが\n"
    "手のマークになります\n"
    "キャラが反応を返している間は、他のボタンは反応しません\n"
    "マウスカーソルが「手」になっている場合、胸等が揺れます\n"
    "ゲームを終了します\n"
    "メッセージウィンドウの表示／非表示を切り替えます\n"
    "非表示のときに右クリックをすると、表示に切り替わります\n"
    "押している間、メッセージをスキップします\n";
const char* const kHelpTitle = "体験版ヘルプ\n";
const char* const kFace = "ＭＳ ゴシック";

// Loaded, not transparent and visible.
bool Showing(C_WindowLayer& w) {
  const layer::PictureSlot& s = w.currentPicture();
  return s.loaded && s.alpha() != 0 && w.visible;
}

// A text member of the help: the set's rectangle with its own text area.
std::unique_ptr<C_WindowLayer> HelpText(float left, float top, int32_t size, int32_t weight, const char* textUtf8) {
  auto w = std::make_unique<C_WindowLayer>();
  w->setWindow(kind::Plain, 820, 500, 0, 0, false, false);
  w->setTextArea(left, top, 870, 370);
  w->setFont(0, size, CP932(kFace).c_str(), weight);
  w->setText(platform::utf8ToCp932(textUtf8), false);
  return w;
}

}  // namespace

std::unique_ptr<C_DialogSet> CreateDialogSet(scene::C_BaseScene& scene) {
  auto dialog = std::make_unique<C_DialogSet>();
  dialog->owner = &scene;
  for (auto& button : dialog->buttons) button->owner = &scene;
  return dialog;
}

bool DialogsShown(const scene::C_BaseScene& scene) {
  if (scene.dialog && Showing(*scene.dialog)) return true;
  return scene.windowSet && Showing(*scene.windowSet);
}

void UpdateDialog(scene::C_BaseScene& scene, bool& mouseTaken) {
  C_DialogSet* dialog = scene.dialog.get();
  if (!dialog) return;
  if (mouseTaken) {
    dialog->result = answer::None;  // not asked: no answer this frame
  } else if (dialog->dialogMouse() != 0) {
    mouseTaken = true;
  }
  dialog->update(nullptr);
  if (!dialog->pending) return;
  if (dialog->result == answer::Yes) {
    if (platform::Platform* p = engine::context().platform) p->window().destroyWindow();
  } else if (dialog->result == answer::No) {
    dialog->pending = false;
    CloseWindow(scene, "DIALOG", 0, 50);
  }
}

void DrawDialog(scene::C_BaseScene& scene) {
  if (scene.dialog) scene.dialog->drawBoth(0.5f);
}

bool LayOutHelp(C_MultiWindowSet& set) {
  if (Showing(set) || set.shown) return false;
  set.helpMode = true;
  set.release();
  // The set itself: the frame with the left column.
  set.releasePicture(false);
  set.setPicture("win_h.png", nullptr, false);
  set.setWindow(kind::Plain, 820, 500, 0, 0, false, false);
  set.setTextArea(30, 70, 870, 370);
  set.setFont(0, 18, CP932(kFace).c_str(), 400);
  set.setFontMargin(2, 10);
  set.speed = 0.0f;
  set.setText(CP932(kHelpLeft), false);
  // The right column and the title line, owned by the set and bound to it.
  set.ownedMembers.push_back(HelpText(230, 70, 18, 400, kHelpRight));
  // The left column's line spacing, so each control stays beside its description.
  set.ownedMembers.back()->setFontMargin(2, 10);
  set.children.push_back(set.ownedMembers.back().get());
  set.ownedMembers.push_back(HelpText(320, 30, 28, 900, kHelpTitle));
  set.children.push_back(set.ownedMembers.back().get());
  // The "ＯＫ" button, which closes the help and starts no event.
  auto ok = std::make_unique<C_ButtonLayer>();
  ok->setPicture("winBtn00.png", nullptr, false);
  ok->setWindow(kind::Button, 100, 30, 0, 200, false, false);
  ok->setTextArea(30, 2, 280, 38);
  ok->setFont(0, 20, CP932(kFace).c_str(), 0);
  ok->speed = 0.0f;
  ok->setText(CP932("ＯＫ"), false);
  ok->eventSuppressed = true;
  set.memberLists[0].push_back(ok.get());
  set.children.push_back(ok.get());
  set.ownedButtons.push_back(std::move(ok));
  return true;
}

void OpenHelpSet(C_MultiWindowSet& set) {
  set.open(100);
  // The members without a picture of their own open with it too.
  const std::vector<C_WindowLayer*> bound = set.children;
  for (C_WindowLayer* member : bound)
    if (!Showing(*member) && !member->currentPicture().fadeActive) member->open(100);
}

}  // namespace window
