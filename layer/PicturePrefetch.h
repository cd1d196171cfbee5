// Pictures decoded ahead: at start-up the first script's pictures are read and decoded on a
// worker while the window and the render device are made, and the texture factory takes them
// from here instead of decoding them again.
#pragma once

#include <string>
#include <vector>

#include "gfx/Image.h"

namespace layer {

// Reads the named game files now (the archives are not read from two threads) and decodes them
// on a worker. Names that cannot be read are passed over; at most a few pictures and a bounded
// number of file bytes are taken, the rest load as usual.
void PrefetchPictures(const std::vector<std::string>& names);

// The picture decoded ahead for this name, waiting for the worker if it has not reached it:
// true with the file's information and the picture (taken: a second call loads as usual), false when it was not decoded
// ahead or its file did not decode.
bool TakePrefetchedPicture(const std::string& name, gfx::ImageInfo& info, gfx::Image& out);

// Waits for the worker and drops the pictures nobody took.
void StopPicturePrefetch();

}  // namespace layer
