// Ownership of an object whose class lives in a folder above the engine context: the deleter is
// chosen where the object is made, so the context can own and destroy it knowing only its name.
#pragma once

#include <memory>
#include <utility>

namespace engine {

struct ErasedDelete {
  void (*destroy)(void*) = nullptr;
  void operator()(void* object) const {
    if (destroy) destroy(object);
  }
};

template <class T>
using Owned = std::unique_ptr<T, ErasedDelete>;

// Makes a T owned through ErasedDelete (call where T is a complete type).
template <class T, class... Args>
Owned<T> makeOwned(Args&&... args) {
  return Owned<T>(std::make_unique<T>(std::forward<Args>(args)...).release(),
                  ErasedDelete{[](void* object) { std::unique_ptr<T>(static_cast<T*>(object)).reset(); }});
}

}  // namespace engine
