// The solid characters of the script scene: the array the scripts create, the operations the
// Sc functions and tags call on its characters, and their place in the scene's frame (the
// mouse offer, the update, the 3D draw pass, device loss).
#pragma once

#include <cstdint>

namespace scene {
class C_BaseScene;
}

namespace chara {

class C_SolidCharaLayer;
class C_SolidEventLayer;

// ScInitSceneSolidChara: discards an earlier array and makes `count` characters numbered
// 0..count-1, drawn in index order (index 0 at the back). A negative count makes an empty array.
void InitSceneSolidChara(scene::C_BaseScene& scene, int32_t count);
// The event picture over the array, or nullptr while no array exists.
C_SolidEventLayer* FindSolidEvent(scene::C_BaseScene& scene);
// Character `index`, or nullptr while no array exists or when the index is outside it.
C_SolidCharaLayer* FindSolidChara(scene::C_BaseScene& scene, int32_t index);

// ScSetSolidChara: loads `file` into the character (the picture composed with the difference
// `diff` at diffX, diffY when withDiff) fading in over timeMs, at (x, y, z) x screenScale.
// Without the difference (the 6-argument form) its click target becomes the default one.
void SetSolidChara(scene::C_BaseScene& scene, int32_t index, const char* file, float x, float y, float z,
                   int32_t timeMs, bool withDiff, const char* diff, int32_t diffX, int32_t diffY);
// ScDelSolidChara: fades out and marks the current mesh for release.
void DeleteSolidChara(scene::C_BaseScene& scene, int32_t index, int32_t timeMs);
// ScChangeSolidChara: the new mesh shows at once (no fade), in the shown one's placement. diff
// (may be null) composes a difference picture at diffX, diffY.
void ChangeSolidChara(scene::C_BaseScene& scene, int32_t index, const char* file, const char* diff = nullptr,
                      int32_t diffX = 0, int32_t diffY = 0);
void PutSolidChara(scene::C_BaseScene& scene, int32_t index, float x, float y, float z);
void ReSizeSolidChara(scene::C_BaseScene& scene, int32_t index, float width, float height);
void ReScaleSolidChara(scene::C_BaseScene& scene, int32_t index, float scaleX, float scaleY);
void MoveSolidCharaReset(scene::C_BaseScene& scene, int32_t index);
void MoveSolidCharaAdd(scene::C_BaseScene& scene, int32_t index, bool relative, float x, float y, float z, float scaleX,
                       float scaleY, int32_t durationMs);
void MoveSolidCharaSet(scene::C_BaseScene& scene, int32_t index);
void MoveSplineSolidCharaReset(scene::C_BaseScene& scene, int32_t index);
void MoveSplineSolidCharaAdd(scene::C_BaseScene& scene, int32_t index, bool relative, float x, float y, float scaleX,
                             float scaleY);
void MoveSplineSolidCharaSet(scene::C_BaseScene& scene, int32_t index, int32_t timeMs);
void ShakeSolidChara(scene::C_BaseScene& scene, int32_t index, float powerH, float powerV, float powerZ, float decay,
                     int32_t rangeTimeMs);
void SetAutoShake(scene::C_BaseScene& scene, int32_t index, float periodMs, float power, float angleRadians);
void ResetAutoShake(scene::C_BaseScene& scene, int32_t index);
// For every solid character of the scene.
void SetMouseOperate(scene::C_BaseScene& scene, bool on);
void SetSolidClickable(scene::C_BaseScene& scene, bool on);

// The scene's update: walks the draw order front-first, offering the mouse (or cancelling the
// drag) and updating each character that has a mesh; the one that took the mouse comes to the
// front. Returns how many still animate.
int32_t UpdateSolidCharas(scene::C_BaseScene& scene, bool& mouseTaken, bool mouseBlocked);
// Skipping: every move and fade of the solid characters ends.
void FinishSolidCharaAnimations(scene::C_BaseScene& scene);
// The solid pass: back to front, each with the 3D camera and its blend states.
void DrawSolidCharas(scene::C_BaseScene& scene);
// Device loss: the mesh buffers go before the reset and come back after it.
void ReleaseSolidCharaBuffers(scene::C_BaseScene& scene);
void RecreateSolidCharaBuffers(scene::C_BaseScene& scene);

}  // namespace chara
