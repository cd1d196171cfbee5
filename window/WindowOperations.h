// The window operations that scripts reach, by window type name and page, through the Sc
// functions and the window tags alike.
#pragma once

#include <cstdint>
#include <string_view>

namespace scene {
class C_BaseScene;
}
namespace script {
class FlagStore;
class HistoryRecord;
}  // namespace script

namespace window {

// The text of a message, like every text argument, fits a buffer of this many bytes with its NUL.
constexpr size_t kTextBufferBytes = 2000;

// ScSetWindow: a page beyond the type's list appends one new window (whatever page was asked),
// otherwise the page-th window is set up again. A non-empty file replaces the frame picture.
// x, y are the window's centre in layout units from the screen centre. Afterwards the window has
// no bound windows and the scene is its owner. Unknown types and negative pages do nothing.
void SetWindow(scene::C_BaseScene& scene, std::string_view type, int32_t page, const char* file, int32_t width,
               int32_t height, float x, float y, bool draggable);
void SetTextAreaWindow(scene::C_BaseScene& scene, std::string_view type, int32_t page, float left, float top,
                       float right, float bottom);
void SetFontWindow(scene::C_BaseScene& scene, std::string_view type, int32_t page, int32_t fontType, int32_t size,
                   const char* fontName, int32_t weight);
void SetFontMargin(scene::C_BaseScene& scene, std::string_view type, int32_t page, int32_t marginW, int32_t marginH);
void SetFontSpeedWindow(scene::C_BaseScene& scene, std::string_view type, int32_t page, float speed);
// The window, then every window bound to it, in binding order.
void OpenWindow(scene::C_BaseScene& scene, std::string_view type, int32_t page, int32_t timeMs);
void CloseWindow(scene::C_BaseScene& scene, std::string_view type, int32_t page, int32_t timeMs);
void ShowWindow(scene::C_BaseScene& scene, std::string_view type, int32_t page, bool visible);
// ScSetTextWindow: flag values inserted; for "MES" windows the inline voice is cut out and played
// and the text recorded for the history; then the window types the text.
void SetTextWindow(scene::C_BaseScene& scene, const script::FlagStore& flags, script::HistoryRecord& history,
                   std::string_view type, int32_t page, std::string_view text);
void BindWindow(scene::C_BaseScene& scene, std::string_view type, int32_t page, std::string_view parentType,
                int32_t parentPage);
void ResetBindWindow(scene::C_BaseScene& scene, std::string_view type, int32_t page, std::string_view parentType,
                     int32_t parentPage);
// ScWindowActive / ScWindowNotActive; for "SEL" as ScSelectActive / ScSelectNotActive.
void SetWindowActive(scene::C_BaseScene& scene, std::string_view type, int32_t page, bool active);
// The DrawWindow tag's part for "MES": only message window `page` may show the click-wait cursor.
void ShowClickCursorOn(scene::C_BaseScene& scene, int32_t page);
// SetActiveTextColor: the colour of the characters typed from now on.
void SetTextColour(scene::C_BaseScene& scene, std::string_view type, int32_t page, uint32_t colour);

}  // namespace window
