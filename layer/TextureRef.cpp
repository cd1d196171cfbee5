// The counted texture reference handle.
#include "layer/TextureRef.h"

#include <utility>

#include "layer/C_TextureFact.h"

namespace layer {

TextureRef::TextureRef(TextureRef&& other) noexcept
    : factory_(std::move(other.factory_)), entry_(other.entry_), name_(std::move(other.name_)), held_(other.held_) {
  other.factory_.reset();
  other.entry_ = nullptr;
  other.name_.clear();
  other.held_ = false;
}

TextureRef& TextureRef::operator=(TextureRef&& other) noexcept {
  if (this != &other) {
    reset();
    factory_ = std::move(other.factory_);
    entry_ = other.entry_;
    name_ = std::move(other.name_);
    held_ = other.held_;
    other.factory_.reset();
    other.entry_ = nullptr;
    other.name_.clear();
    other.held_ = false;
  }
  return *this;
}

void TextureRef::reset() {
  if (held_) {
    if (std::shared_ptr<C_TextureFact> factory = factory_.lock()) factory->releaseTexture(name_.c_str());
  }
  factory_.reset();
  entry_ = nullptr;
  name_.clear();
  held_ = false;
}

TextureEntry* TextureRef::entry() const { return held_ && !factory_.expired() ? entry_ : nullptr; }

}  // namespace layer
