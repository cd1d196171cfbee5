// Backgrounds and plain characters of the script scene: setting and replacing their pictures,
// the script operations on them, their frame update and their place in the draw order.
#pragma once

#include <cstdint>

namespace scene {
class C_BaseScene;
}
namespace layer {
class C_BaseCharaLayer;
}

namespace chara {

// A position argument of a picture operation that was not given.
constexpr float NotGiven = -99999.0f;

// ScSetBG: width / height in pixels (negative: 1024 / 768), position and sizes times
// screenScale, rotation in radians; the new picture fades in over the old one in timeMs.
void SetBackground(scene::C_BaseScene& scene, const char* file, int32_t width, int32_t height, float x, float y,
                   float rotation, int32_t timeMs);
// ScReSizeBG: nothing without a background.
void ReSizeBackground(scene::C_BaseScene& scene, float width, float height);

// Plain character `page`, or nullptr when page is not below the number of plain characters.
layer::C_BaseCharaLayer* FindPlainChara(scene::C_BaseScene& scene, int32_t page);
// ScSetPlainChara: a page beyond the list appends one new character (only one). Returns the
// character that shows the picture (nullptr for a negative page).
layer::C_BaseCharaLayer* SetPlainChara(scene::C_BaseScene& scene, int32_t page, const char* file, float x, float y,
                                       int32_t timeMs);
// ScDelPlainChara: fades the current picture out; the character keeps its page.
void DeletePlainChara(scene::C_BaseScene& scene, int32_t page, int32_t timeMs);
// ScPutPlainChara / ScReSizePlainChara / ScReScalePlainChara (times screenScale).
void PutPlainChara(scene::C_BaseScene& scene, int32_t page, float x, float y);
void ReSizePlainChara(scene::C_BaseScene& scene, int32_t page, float width, float height);
void ReScalePlainChara(scene::C_BaseScene& scene, int32_t page, float scaleX, float scaleY);
// Key and spline moves on the current picture (not scaled by screenScale).
void MovePlainCharaReset(scene::C_BaseScene& scene, int32_t page);
void MovePlainCharaAdd(scene::C_BaseScene& scene, int32_t page, bool relative, float x, float y, float scaleX,
                       float scaleY, int32_t durationMs);
void MovePlainCharaSet(scene::C_BaseScene& scene, int32_t page);
void MoveSplinePlainCharaReset(scene::C_BaseScene& scene, int32_t page);
void MoveSplinePlainCharaAdd(scene::C_BaseScene& scene, int32_t page, bool relative, float x, float y, float scaleX,
                             float scaleY);
void MoveSplinePlainCharaSet(scene::C_BaseScene& scene, int32_t page, int32_t timeMs);
// ScUseUVPlainChara / ScNoUseUVPlainChara.
void UseUVPlainChara(scene::C_BaseScene& scene, int32_t page, float offsetU, float offsetV, float scaleU, float scaleV);
void NoUseUVPlainChara(scene::C_BaseScene& scene, int32_t page);

// The script scene's update: the background (no mouse) and the plain characters (front-first
// for the mouse; the one that takes it comes to the front). Each returns how many are still
// animating.
int32_t UpdateBackground(scene::C_BaseScene& scene);
int32_t UpdatePlainCharas(scene::C_BaseScene& scene, bool& mouseTaken);
// Skipping: every animation of the background, and of the plain characters, ends.
void FinishBackgroundAnimations(scene::C_BaseScene& scene);
void FinishPlainCharaAnimations(scene::C_BaseScene& scene);

// The draws (the sprite batch is begun by the scene): the background with drawBoth at depth
// 0.5, the plain characters in list order with the quad draw.
void DrawBackground(scene::C_BaseScene& scene);
void DrawPlainCharas(scene::C_BaseScene& scene);

// The scene's destroy: the background and every plain character.
void DestroyBackgroundAndPlainCharas(scene::C_BaseScene& scene);

}  // namespace chara
