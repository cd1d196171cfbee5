// Pictures decoded ahead: at start-up the first script's pictures are read, then decoded and
// made into texture levels on a worker while the window and the render device are made; the
// texture factory takes them from here instead of doing that work again.
#pragma once

#include <string>
#include <vector>

#include "gfx/Image.h"

namespace layer {

// Reads the named game files now (the archives are not read from two threads) and decodes them
// on a worker. Names that cannot be read are passed over; at most a few pictures and a bounded
// number of file bytes are taken, the rest load as usual.
void PrefetchPictures(const std::vector<std::string>& names);

// The picture decoded ahead for this name, already stretched to powers of two and halved into
// its full mip chain (what the texture factory asks for), waiting for the worker if it has not
// reached it: true with the file's information and either the managed texture already made on
// this device (texture set) or the levels. Taken either way: a second call, or a picture wanted
// at another size, loads as usual. False when it was not decoded ahead, its file did not decode,
// or its texture was made on another device.
bool TakePrefetchedPicture(const std::string& name, const gfx::Device& device, gfx::ImageInfo& info,
                           gfx::TextureLevels& levels, gfx::TexturePtr& texture);

// Makes the pictures' managed textures on the device readied while the start-up questions are up
// (engine::PrepareRenderDevice), waiting for the worker; nothing when none was readied. Should
// that device be replaced, the textures go before it.
void MakePrefetchedTextures();

// Waits for the worker and drops the pictures nobody took.
void StopPicturePrefetch();

}  // namespace layer
