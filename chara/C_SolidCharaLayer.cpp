// C_SolidCharaLayer: loading meshes with a cross-fade, the frame update with mouse posing, pull
// and shakes, the mesh draws, the hit test and the device-loss handling.
#include "chara/C_SolidCharaLayer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "chara/ClickMap.h"
#include "chara/SolidMeshLoader.h"
#include "engine/Engine.h"
#include "engine/Input.h"
#include "platform/Platform.h"
#include "scene/C_BaseScene.h"

namespace chara {

namespace {
void copyName(char (&dst)[128], const char* src) {
  std::strncpy(dst, src ? src : "", sizeof dst - 1);
  dst[sizeof dst - 1] = '\0';
}

// "body.png" with diff "01" gives "body_01.png" (no dot: the diff goes at the end).
std::string DifferenceName(const std::string& picture, const char* diff) {
  const size_t dot = picture.rfind('.');
  if (dot == std::string::npos) return picture + "_" + diff;
  return picture.substr(0, dot) + "_" + diff + picture.substr(dot);
}

// A slot position as a whole pixel: truncated, saturating, 0 for NaN (scripts may put a
// character anywhere).
int32_t WholePixel(float v) {
  if (!(v == v)) return 0;
  if (v >= 1e9f) return 1000000000;
  if (v <= -1e9f) return -1000000000;
  return int32_t(v);
}

// Keeps the alpha of the slot's texture for the mouse test.
void CaptureAlphaMask(SolidMesh& m, layer::PictureSlot& s) {
  m.alphaMask.clear();
  m.maskWidth = m.maskHeight = 0;
  if (!s.texture) return;
  const int32_t w = s.texture->width(0), h = s.texture->height(0);
  gfx::LockedRect lr;
  if (w <= 0 || h <= 0 || s.texture->lockRect(0, lr) != gfx::result::Ok || !lr.bits) return;
  m.alphaMask.resize(size_t(w) * size_t(h));
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* row = lr.bits + size_t(y) * size_t(lr.pitch);
    for (int32_t x = 0; x < w; ++x) m.alphaMask[size_t(y) * size_t(w) + size_t(x)] = row[size_t(x) * 4 + 3];
  }
  s.texture->unlockRect(0);
  m.maskWidth = w;
  m.maskHeight = h;
}
}  // namespace

gfx::Matrix SolidViewMatrix() {
  return gfx::Matrix::lookAtLH(gfx::Vec3{0, 0, -10}, gfx::Vec3{0, 0, 0}, gfx::Vec3{0, 1, 0});
}

gfx::Matrix SolidProjectionMatrix() {
  const engine::Engine& e = engine::context();
  return gfx::Matrix::orthoLH(float(e.screenWidth), float(e.screenHeight), 1.0f, 30.0f);
}

C_SolidCharaLayer::C_SolidCharaLayer() {
  meshes[0] = std::make_unique<SolidMesh>();
  meshes[1] = std::make_unique<SolidMesh>();
}

C_SolidCharaLayer::~C_SolidCharaLayer() {
  FreeMeshData(*meshes[0]);
  FreeMeshData(*meshes[1]);
}

void C_SolidCharaLayer::swapSlots() {
  C_BaseCharaLayer::swapSlots();
  std::swap(meshes[0], meshes[1]);
}

bool C_SolidCharaLayer::isOtherSlotShown() {
  const layer::PictureSlot& o = otherPicture();
  return o.loaded && o.alpha() != 0 && otherMesh().vertexBuffer;
}

void C_SolidCharaLayer::ReleaseSolidMesh(bool other) {
  SolidMesh& m = other ? otherMesh() : currentMesh();
  m.releasePending = false;
  releasePicture(other);
  FreeMeshData(m);
}

void C_SolidCharaLayer::LoadSolidMesh(const char* file, const char* diff, int32_t diffX, int32_t diffY,
                                      int32_t timeMs) {
  // A mesh still waiting for its fade-out goes now; the new mesh takes the other slot, which is
  // emptied first.
  if (currentMesh().releasePending) ReleaseSolidMesh(false);
  swapSlots();
  ReleaseSolidMesh(false);
  SolidMesh& m = currentMesh();
  m.strongPull = false;
  copyName(m.name, file);
  // An unusable file leaves the slot without a mesh; the fades below still start.
  SolidMeshData data;
  if (LoadMeshFile(file, engine::context().useSolid, data)) {
    if (diff && diff[0] != '\0')
      setPictureComposite(data.pictureName.c_str(), DifferenceName(data.pictureName, diff).c_str(), diffX, diffY,
                          false);
    else
      setPicture(data.pictureName.c_str(), nullptr, false);
    // The regions of the picture come from its "_c.bmp" beside it.
    currentPicture().clickMap = LoadPictureClickMap(data.pictureName.c_str());
    CaptureAlphaMask(m, currentPicture());
    // A new mesh starts without key or spline moves.
    resetKeyMove(false);
    resetSplineMove(false);
    TakeMeshData(m, std::move(data));
    CreateMeshBuffers(m);
  }
  // The new mesh fades in from transparent while the shown one fades out and is released.
  layer::PictureSlot& s = currentPicture();
  s.colour &= 0x00FFFFFFu;
  startAlphaFade(255, timeMs, false);
  s.loaded = true;
  startAlphaFade(0, timeMs, true);
  otherMesh().releasePending = true;
}

gfx::Matrix C_SolidCharaLayer::WorldMatrixOf(const layer::PictureSlot& s) {
  return gfx::Matrix::rotationY(s.rotationY) * gfx::Matrix::rotationX(s.rotationX) *
         gfx::Matrix::rotationZ(s.rotation) * gfx::Matrix::scaling(s.scaleX * 512.0f, s.scaleY * 512.0f, 1.0f) *
         gfx::Matrix::translation(s.x - 0.5f, -0.5f - s.y, s.depth);
}

int32_t C_SolidCharaLayer::update(const engine::PadRecord* /*pad*/) {
  dragSpeed = 0.0f;
  updateSlot(currentSlot ^ 1);
  updateSlot(currentSlot);
  return computeBusy();
}

void C_SolidCharaLayer::updateSlot(int32_t slotIndex) {
  SolidMesh& m = *meshes[slotIndex];
  if (!m.vertexBuffer) return;
  layer::PictureSlot& s = *slots[slotIndex];
  const bool other = slotIndex != currentSlot;
  engine::Engine& e = engine::context();
  const engine::MouseState& mouse = e.mouse;
  // Where the slot stood before this frame's animation: its move pushes the soft parts.
  const float x0 = s.x, y0 = s.y;
  animate(slotIndex, false);
  // A faded-out mesh marked for release goes now.
  if (m.releasePending && s.alpha() == 0) {
    ReleaseSolidMesh(other);
    return;
  }
  // Posing with the mouse, or the pull of a grabbed character.
  float px = 0.0f, py = 0.0f;
  const float mdx = float(mouse.cursorX - mouse.previousCursorX);
  const float mdy = float(mouse.cursorY - mouse.previousCursorY);
  const bool released = (mouse.mouseEvents & engine::mouse::LeftUp) != 0;
  if (mouseOperate) {
    if (dragging) {
      if (engine::KeyDown(platform::vk::Control)) {
        s.scaleX -= mdy * 0.02f;
        s.scaleY -= mdy * 0.02f;
      } else {
        s.x = float(mouse.cursorX - dragOffsetX);
        s.y = float(mouse.cursorY - dragOffsetY);
      }
      if (released) {
        dragging = false;
        dragOffsetX = dragOffsetY = 0;
      }
    }
    if (rightDragging) {
      if (engine::KeyDown(platform::vk::Control)) {
        s.rotation += mdx * 0.02f;
      } else {
        s.rotationY += -mdx * 0.01f;
        s.rotationX += -mdy * 0.01f;
      }
      if (mouse.mouseEvents & engine::mouse::RightUp) rightDragging = false;
    }
  } else {
    if (dragging && hitIndex > 0) {
      dragSpeed = std::sqrt(mdx * mdx + mdy * mdy);
      px = mdx * 0.2f;
      py = mdy * 0.2f;
    }
    if (released) {
      dragging = false;
      dragOffsetX = dragOffsetY = 0;
    }
  }
  // The forces of this frame.
  if (e.useSolid) {
    const size_t n = size_t(m.vertexCount);
    if (m.autoShakeOn) {
      const float a = std::sin(float(e.frameNow) / m.autoPeriod) * m.autoPower * 0.01f;
      m.autoOffset[0] = std::cos(m.autoAngle) * a;
      m.autoOffset[1] = std::sin(m.autoAngle) * a;
      m.autoOffset[2] = 0.0f;
      for (size_t i = 0; i < n; ++i) {
        m.displacement[i * 3] = m.weights[i] * m.autoOffset[0];
        m.displacement[i * 3 + 1] = m.weights[i] * m.autoOffset[1];
        m.displacement[i * 3 + 2] = 0.0f;
      }
    } else {
      m.autoOffset[0] = m.autoOffset[1] = m.autoOffset[2] = 0.0f;
      const float mx = s.x - x0 + px, my = s.y - y0 + py;
      if (std::sqrt(mx * mx + my * my) > 0.0f) {
        for (size_t i = 0; i < n; ++i) {
          m.force[i * 3] = mx;
          m.force[i * 3 + 1] = my;
          m.force[i * 3 + 2] = 0.0f;
        }
      } else if ((mouse.mouseEvents & engine::mouse::LeftDown) && dragging && hitU >= 0.0f && hitU <= 1.0f) {
        const float gx = m.minX + hitU * (m.maxX - m.minX);
        const float gy = m.minY + hitV * (m.maxY - m.minY);
        const float k = m.strongPull ? 5.0f : 1.0f;
        for (size_t i = 0; i < n; ++i) {
          float dx = m.positions[i * 3] - gx, dy = m.positions[i * 3 + 1] - gy;
          const float l = std::sqrt(dx * dx + dy * dy);
          if (l > 0.0f) {
            dx /= l;
            dy /= l;
          }
          float f = l < 0.03f ? l * 10.0f : (1.0f - l) * 6.0f;
          if (f < 0.0f) f = 0.0f;
          m.force[i * 3] += dx * f * k;
          m.force[i * 3 + 1] += dy * f * k;
        }
      }
    }
  }
  // The spring step writes the moved vertices straight into the vertex buffer when it locks.
  void* data = nullptr;
  const bool locked = m.vertexBuffer->lock(0, 0, &data) == gfx::result::Ok && data;
  StepShakePhysics(m, s.colour, e.frameInterval, e.frameDeltaMs, locked ? static_cast<SolidVertex*>(data) : nullptr);
  if (locked) m.vertexBuffer->unlock();
  m.worldMatrix = WorldMatrixOf(s);
}

void C_SolidCharaLayer::drawMesh(gfx::Device& device, SolidMesh& mesh, layer::PictureSlot& slot, uint32_t alphaSrc,
                                 uint32_t alphaDest) {
  // A mesh without its picture is not drawn (it would show as a white shape).
  if (!slot.texture || mesh.indexCount / 3 == 0) return;
  device.setRenderState(gfx::RenderState::SrcBlend, gfx::blend::SrcAlpha);
  device.setRenderState(gfx::RenderState::DestBlend, gfx::blend::InvSrcAlpha);
  device.setRenderState(gfx::RenderState::SrcBlendAlpha, alphaSrc);
  device.setRenderState(gfx::RenderState::DestBlendAlpha, alphaDest);
  device.setTransform(gfx::TransformType::World, mesh.worldMatrix);
  device.setTexture(0, slot.texture);
  device.setStreamSource(0, mesh.vertexBuffer, 0, sizeof(SolidVertex));
  device.setIndices(mesh.indexBuffer);
  device.setFVF(SolidMeshFvf);
  device.drawIndexedPrimitive(gfx::PrimitiveType::TriangleList, 0, 0, uint32_t(mesh.vertexCount), 0,
                              uint32_t(mesh.indexCount / 3));
}

void C_SolidCharaLayer::drawSlotMesh(bool other, uint32_t alphaSrc, uint32_t alphaDest) {
  gfx::Device* device = engine::context().device;
  SolidMesh& m = other ? otherMesh() : currentMesh();
  if (!device || !m.hasBuffers()) return;
  drawMesh(*device, m, other ? otherPicture() : currentPicture(), alphaSrc, alphaDest);
}

void C_SolidCharaLayer::drawBoth(float /*depth*/) {
  gfx::Device* device = engine::context().device;
  if (!visible || !device) return;
  SolidMesh& cur = currentMesh();
  SolidMesh& old = otherMesh();
  const bool hasCur = cur.hasBuffers(), hasOld = old.hasBuffers();
  const auto clearDepth = [device] { device->clear(gfx::clearflag::ZBuffer, 0, 1.0f, 0); };
  if (hasCur && !hasOld) {
    clearDepth();
    drawMesh(*device, cur, currentPicture(), gfx::blend::One, gfx::blend::One);
  } else if (hasCur && hasOld) {
    drawMesh(*device, cur, currentPicture(), gfx::blend::Zero, gfx::blend::Zero);
    clearDepth();
    drawMesh(*device, old, otherPicture(), gfx::blend::One, gfx::blend::One);
    clearDepth();
    drawMesh(*device, cur, currentPicture(), gfx::blend::One, gfx::blend::One);
  } else if (hasOld) {
    clearDepth();
    drawMesh(*device, old, otherPicture(), gfx::blend::One, gfx::blend::One);
  }
}

int32_t C_SolidCharaLayer::HitTest(float mouseX, float mouseY) {
  // No region hit until one is found.
  hitU = hitV = -1.0f;
  int32_t result = -1;
  SolidMesh& m = currentMesh();
  layer::PictureSlot& s = currentPicture();
  if (!m.hasVertexData()) return result;
  // The mouse ray through the solid pass's camera.
  const engine::Engine& e = engine::context();
  gfx::Viewport vp;
  vp.width = e.screenWidth;
  vp.height = e.screenHeight;
  const gfx::Matrix proj = SolidProjectionMatrix(), view = SolidViewMatrix(), world;
  const float sx = mouseX + float(e.screenWidth / 2), sy = mouseY + float(e.screenHeight / 2);
  gfx::Vec3 r0, r1;
  if (!gfx::unproject(gfx::Vec3{sx, sy, 0.87f}, vp, proj, view, world, r0) ||
      !gfx::unproject(gfx::Vec3{sx, sy, 1.0f}, vp, proj, view, world, r1))
    return result;
  // The plane of the mesh's bounds at its middle depth.
  const float zm = (m.minZ + m.maxZ) / 2.0f;
  const gfx::Vec3 A = gfx::transformCoord(gfx::Vec3{m.minX, m.minY, zm}, m.worldMatrix);
  const gfx::Vec3 B = gfx::transformCoord(gfx::Vec3{m.minX, m.maxY, zm}, m.worldMatrix);
  const gfx::Vec3 C = gfx::transformCoord(gfx::Vec3{m.maxX, m.maxY, zm}, m.worldMatrix);
  const gfx::Vec3 ab{B.x - A.x, B.y - A.y, B.z - A.z}, ac{C.x - A.x, C.y - A.y, C.z - A.z};
  const gfx::Vec3 nrm{ab.y * ac.z - ab.z * ac.y, ab.z * ac.x - ab.x * ac.z, ab.x * ac.y - ab.y * ac.x};
  const gfx::Vec3 dir{r1.x - r0.x, r1.y - r0.y, r1.z - r0.z};
  const float denom = nrm.x * dir.x + nrm.y * dir.y + nrm.z * dir.z;
  if (denom == 0.0f || !std::isfinite(denom)) return result;
  const float t = (nrm.x * (A.x - r0.x) + nrm.y * (A.y - r0.y) + nrm.z * (A.z - r0.z)) / denom;
  const gfx::Vec3 P{r0.x + dir.x * t, r0.y + dir.y * t, r0.z + dir.z * t};
  // Outside the mesh's bounds is off the picture; inside, u and v run 0..1 across them.
  if (!(A.x <= P.x && P.x <= C.x && A.y <= P.y && P.y <= C.y) || C.x == A.x || C.y == A.y) return result;
  const float u = (P.x - A.x) / (C.x - A.x), v = (P.y - A.y) / (C.y - A.y);
  // An opaque texel (alpha 11 or more) is on the picture.
  if (!s.texture) return 0;
  const int32_t tw = m.maskWidth, th = m.maskHeight;
  if (tw > 0 && th > 0) {
    // u or v of exactly 1 would name the texel past the edge: the edge texel stands for it.
    const int32_t col = std::min(tw - 1, int32_t(float(tw) * u));
    const int32_t row = std::max(0, th - 1 - std::min(th - 1, int32_t(float(th) * v)));
    if (m.alphaMask[size_t(row) * size_t(tw) + size_t(col)] >= 11) result = 0;
  }
  // The click-map region under the point, unless the mesh shakes by itself.
  if (m.autoShakeOn || !s.clickMap) return result;
  const int32_t n = ClickMapIndexAt(*s.clickMap, u, v);
  if (n == 0) return result;
  hitU = u;
  hitV = v;
  return n;
}

int32_t C_SolidCharaLayer::handleMouse() { return handleMouse(false); }

int32_t C_SolidCharaLayer::handleMouse(bool force) {
  engine::Engine& e = engine::context();
  const engine::MouseState& mouse = e.mouse;
  // The cursor shows a hand over a click-map region.
  mouseEnabled = true;
  draggable = true;
  hitIndex = HitTest(float(mouse.cursorX), float(mouse.cursorY));
  if (hitIndex > 0) e.cursorId = 104;
  const layer::PictureSlot& s = currentPicture();
  // While the owner runs a touch event, touches report nothing.
  const bool touchRunning = owner && owner->eventLock;
  int32_t result = 0;
  if (mouse.mouseEvents & engine::mouse::LeftDown) {
    // A press on the picture grabs the character (forced: wherever it is).
    if (hitIndex >= 0 || force) {
      dragging = true;
      dragOffsetX = mouse.cursorX - WholePixel(s.x);
      dragOffsetY = mouse.cursorY - WholePixel(s.y);
      if (hitIndex >= 1 && clickMapEnabled && clickable && !touchRunning) result = 1;
    }
  } else if (mouse.mouseEvents & engine::mouse::LeftUp) {
    // A release lets go; on a region it reports the click and starts the region's event.
    dragging = false;
    dragOffsetX = dragOffsetY = 0;
    if (hitIndex >= 1 && clickMapEnabled) {
      if (clickable && !touchRunning) result = 2;
      startTouchEvent();
    }
  }
  // The right button turns the character while held.
  if (mouse.mouseEvents & engine::mouse::RightDown) {
    rightDragging = true;
    rightDragOffsetX = mouse.cursorX - WholePixel(s.x);
    rightDragOffsetY = mouse.cursorY - WholePixel(s.y);
    if (clickable) result |= 8;
    return result;
  }
  if (mouse.mouseEvents & engine::mouse::RightUp) {
    rightDragging = false;
    rightDragOffsetX = rightDragOffsetY = 0;
  }
  return result;
}

void C_SolidCharaLayer::startTouchEvent() {
  // A region without a target (beyond the list, or no event start) starts nothing and sets no
  // flags.
  if (!owner || touchStart == TouchStart::None || hitIndex < 1 || size_t(hitIndex) > variants.size()) return;
  // A release after a fast last frame of the press is a stroke, not a click.
  owner->setTouchFlags(charaIndex, hitIndex, dragSpeed >= 2.0f ? -1 : 1);
  const std::string file = variantLeft(size_t(hitIndex) - 1), label = variantRight(size_t(hitIndex) - 1);
  switch (touchStart) {
    case TouchStart::Jump: owner->StartEventJump(file.c_str(), label.c_str()); break;
    case TouchStart::Call: owner->StartEventCall(file.c_str(), label.c_str()); break;
    case TouchStart::TouchCall: owner->StartEventTouchCall(file.c_str(), label.c_str()); break;
    case TouchStart::None: break;
  }
}

void C_SolidCharaLayer::releaseDeviceBuffers() {
  for (auto& m : meshes) {
    if (!m->hasVertexData()) continue;
    m->vertexBuffer.reset();
    m->indexBuffer.reset();
  }
}

void C_SolidCharaLayer::recreateDeviceBuffers() {
  for (auto& m : meshes)
    if (m->hasVertexData()) CreateMeshBuffers(*m);
}

}  // namespace chara
