// Shader variants that emulate texture stage 0, the alpha test, the texture transform and
// pre-transformed vertices.
#include "gfx/gl/GlProgram.h"

#include <vector>

namespace gfx::gl {

namespace {

// D3DTA modifier bits.
constexpr uint32_t kComplement = 0x10;
constexpr uint32_t kAlphaReplicate = 0x20;

std::string argument(uint32_t arg, bool alpha) {
  std::string base;
  switch (arg & 0x0F) {
    case ta::Texture: base = "t"; break;
    case ta::TFactor: base = "uTFactor"; break;
    default: base = "vColor"; break;  // DIFFUSE, and CURRENT at stage 0
  }
  if (arg & kAlphaReplicate) base = "vec4(" + base + ".a)";
  if (arg & kComplement) base = "(vec4(1.0) - " + base + ")";
  return base + (alpha ? ".a" : ".rgb");
}

std::string operation(uint32_t op, uint32_t arg1, uint32_t arg2, bool alpha) {
  const std::string a1 = argument(arg1, alpha), a2 = argument(arg2, alpha);
  const std::string one = alpha ? "1.0" : "vec3(1.0)";
  const std::string zero = alpha ? "0.0" : "vec3(0.0)";
  switch (op) {
    case top::Disable: return alpha ? "vColor.a" : "vColor.rgb";
    case top::SelectArg1: return a1;
    case top::SelectArg2: return a2;
    case top::Modulate2x: return "clamp(" + a1 + " * " + a2 + " * 2.0, " + zero + ", " + one + ")";
    case top::Modulate4x: return "clamp(" + a1 + " * " + a2 + " * 4.0, " + zero + ", " + one + ")";
    case top::Add: return "clamp(" + a1 + " + " + a2 + ", " + zero + ", " + one + ")";
    case top::Modulate:
    default: return a1 + " * " + a2;
  }
}

const char* comparison(uint32_t func) {
  switch (func) {
    case cmp::Less: return "<";
    case cmp::Equal: return "==";
    case cmp::LessEqual: return "<=";
    case cmp::Greater: return ">";
    case cmp::NotEqual: return "!=";
    case cmp::GreaterEqual: return ">=";
    default: return nullptr;
  }
}

std::string vertexSource(const ProgramKey& k) {
  std::string s =
      "#version 330 core\n"
      "layout(location = 0) in vec4 aPos;\n"
      "layout(location = 1) in vec4 aColor;\n"
      "layout(location = 2) in vec2 aUV;\n"
      "uniform mat4 uMatrix;\n"
      "uniform vec4 uViewport;\n"  // x, y, width, height of the viewport in target pixels
      "uniform vec3 uTexRow0;\n"
      "uniform vec3 uTexRow1;\n"
      "out vec4 vColor;\n"
      "out vec2 vUV;\n"
      "void main() {\n";
  if (k.preTransformed) {
    // Screen pixels with D3D's integer pixel centres, the target stored top row first.
    s += "  float w = aPos.w != 0.0 ? 1.0 / aPos.w : 1.0;\n"
         "  vec3 ndc = vec3(2.0 * (aPos.x + 0.5 - uViewport.x) / uViewport.z - 1.0,\n"
         "                  2.0 * (aPos.y + 0.5 - uViewport.y) / uViewport.w - 1.0,\n"
         "                  2.0 * aPos.z - 1.0);\n"
         "  gl_Position = vec4(ndc * w, w);\n"
         "  vUV = aUV;\n";
  } else {
    s += "  gl_Position = uMatrix * vec4(aPos.xyz, 1.0);\n";
    if (k.textureTransform)
      s += "  vec3 uv1 = vec3(aUV, 1.0);\n"
           "  vUV = vec2(dot(uTexRow0, uv1), dot(uTexRow1, uv1));\n";
    else
      s += "  vUV = aUV;\n";
  }
  s += "  vColor = aColor;\n}\n";
  return s;
}

std::string fragmentSource(const ProgramKey& k) {
  std::string s =
      "#version 330 core\n"
      "in vec4 vColor;\n"
      "in vec2 vUV;\n"
      "uniform sampler2D uTex;\n"
      "uniform vec4 uTFactor;\n"
      "uniform float uAlphaRef;\n"
      "out vec4 fragColor;\n"
      "void main() {\n"
      "  vec4 t = texture(uTex, vUV);\n";
  s += "  vec3 rgb = " + operation(k.colorOp, k.colorArg1, k.colorArg2, false) + ";\n";
  s += "  float a = " + operation(k.alphaOp, k.alphaArg1, k.alphaArg2, true) + ";\n";
  if (k.alphaFunc == cmp::Never) {
    s += "  discard;\n";
  } else if (const char* op = comparison(k.alphaFunc)) {
    // The test compares the 8-bit alpha with ALPHAREF; a failing pixel writes neither colour
    // nor depth.
    s += std::string("  if (!(floor(a * 255.0 + 0.5) ") + op + " uAlphaRef)) discard;\n";
  }
  s += "  fragColor = vec4(rgb, a);\n}\n";
  return s;
}

GLuint compile(GLenum type, const std::string& source, std::string* error) {
  GLuint shader = glCreateShader(type);
  const char* text = source.c_str();
  glShaderSource(shader, 1, &text, nullptr);
  glCompileShader(shader);
  GLint ok = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(static_cast<size_t>(length > 0 ? length : 1));
    glGetShaderInfoLog(shader, static_cast<GLsizei>(log.size()), nullptr, log.data());
    if (error) *error = std::string(log.data()) + "\n" + source;
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

}  // namespace

uint64_t ProgramKey::pack() const {
  uint64_t k = 0;
  k |= uint64_t(preTransformed);
  k |= uint64_t(textureTransform) << 1;
  k |= uint64_t(colorOp & 0xFF) << 2;
  k |= uint64_t(colorArg1 & 0x3F) << 10;
  k |= uint64_t(colorArg2 & 0x3F) << 16;
  k |= uint64_t(alphaOp & 0xFF) << 22;
  k |= uint64_t(alphaArg1 & 0x3F) << 30;
  k |= uint64_t(alphaArg2 & 0x3F) << 36;
  k |= uint64_t(alphaFunc & 0xF) << 42;
  return k;
}

ProgramCache::~ProgramCache() {
  for (auto& entry : programs_) glDeleteProgram(entry.second->id);
}

Program* ProgramCache::get(const ProgramKey& key, std::string* error) {
  const uint64_t packed = key.pack();
  auto found = programs_.find(packed);
  if (found != programs_.end()) return found->second.get();

  GLuint vs = compile(GL_VERTEX_SHADER, vertexSource(key), error);
  if (!vs) return nullptr;
  GLuint fs = compile(GL_FRAGMENT_SHADER, fragmentSource(key), error);
  if (!fs) {
    glDeleteShader(vs);
    return nullptr;
  }
  GLuint id = glCreateProgram();
  glAttachShader(id, vs);
  glAttachShader(id, fs);
  glLinkProgram(id);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint ok = 0;
  glGetProgramiv(id, GL_LINK_STATUS, &ok);
  if (!ok) {
    char log[1024] = {};
    glGetProgramInfoLog(id, sizeof log, nullptr, log);
    if (error) *error = log;
    glDeleteProgram(id);
    return nullptr;
  }
  auto program = std::make_unique<Program>();
  program->id = id;
  program->uMatrix = glGetUniformLocation(id, "uMatrix");
  program->uViewport = glGetUniformLocation(id, "uViewport");
  program->uTexRow0 = glGetUniformLocation(id, "uTexRow0");
  program->uTexRow1 = glGetUniformLocation(id, "uTexRow1");
  program->uTFactor = glGetUniformLocation(id, "uTFactor");
  program->uAlphaRef = glGetUniformLocation(id, "uAlphaRef");
  program->uTex = glGetUniformLocation(id, "uTex");
  glUseProgram(id);
  if (program->uTex >= 0) glUniform1i(program->uTex, 0);
  Program* result = program.get();
  programs_.emplace(packed, std::move(program));
  return result;
}

}  // namespace gfx::gl
