// One counted reference to a texture of the texture factory, held for as long as the handle
// lives: destroying or resetting the handle gives the reference back.
#pragma once

#include <memory>
#include <string>

namespace layer {

class C_TextureFact;
struct TextureEntry;

class TextureRef {
 public:
  TextureRef() = default;
  ~TextureRef() { reset(); }
  TextureRef(TextureRef&& other) noexcept;
  TextureRef& operator=(TextureRef&& other) noexcept;
  TextureRef(const TextureRef&) = delete;
  TextureRef& operator=(const TextureRef&) = delete;

  // Gives the reference back; nothing when the handle holds none or its factory has gone.
  void reset();
  // The handle holds a reference (possibly to an entry whose file could not be loaded).
  explicit operator bool() const { return held_; }
  // The counted entry, or nullptr when none is held or the factory has gone.
  TextureEntry* entry() const;
  // The name the reference was taken under.
  const std::string& name() const { return name_; }

 private:
  friend class C_TextureFact;
  // Only the factory makes handles, each for a reference it has just counted.
  TextureRef(std::weak_ptr<C_TextureFact> factory, TextureEntry* entry, std::string name)
      : factory_(std::move(factory)), entry_(entry), name_(std::move(name)), held_(true) {}

  // Expires with the factory, so a handle that outlives it gives nothing back.
  std::weak_ptr<C_TextureFact> factory_;
  TextureEntry* entry_ = nullptr;
  std::string name_;
  bool held_ = false;
};

}  // namespace layer
