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
// reached it: true with the file's information and the levels. Taken either way: a second call,
// or a picture wanted at another size, loads as usual. False when it was not decoded ahead or
// its file did not decode.
bool TakePrefetchedPicture(const std::string& name, gfx::ImageInfo& info, gfx::TextureLevels& out);

// Waits for the worker and drops the pictures nobody took.
void StopPicturePrefetch();

}  // namespace layer
