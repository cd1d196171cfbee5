// The fixed-function emulation: one shader program per combination of the stage-0 operations,
// alpha test, texture transform and vertex kind that a draw uses, compiled on first use.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "gfx/Device.h"

namespace gfx::gl {

// What selects a program variant; the rest of the fixed-function state goes in as uniforms.
struct ProgramKey {
  bool preTransformed = false;
  bool textureTransform = false;
  uint32_t colorOp = top::Modulate, colorArg1 = ta::Texture, colorArg2 = ta::Current;
  uint32_t alphaOp = top::SelectArg1, alphaArg1 = ta::Texture, alphaArg2 = ta::Current;
  uint32_t alphaFunc = cmp::Always;  // Always when the alpha test is off

  uint64_t pack() const;
};

struct Program {
  GLuint id = 0;
  GLint uMatrix = -1, uViewport = -1, uTexRow0 = -1, uTexRow1 = -1, uTFactor = -1, uAlphaRef = -1, uTex = -1;
  // Last uploaded values, so unchanged uniforms are not sent again.
  float matrix[16] = {};
  bool matrixValid = false;
  float viewport[4] = {-1, -1, -1, -1};
  float texRow0[3] = {-1, -1, -1}, texRow1[3] = {-1, -1, -1};
  uint32_t tfactor = 0;
  bool tfactorValid = false;
  float alphaRef = -1;
};

class ProgramCache {
 public:
  ~ProgramCache();
  // nullptr when the variant does not compile (error holds the log).
  Program* get(const ProgramKey& key, std::string* error);

 private:
  std::unordered_map<uint64_t, std::unique_ptr<Program>> programs_;
};

}  // namespace gfx::gl
