// The picture files a script names: quoted names ending in a picture extension, in tag
// attributes and Lua lines alike, so that start-up can decode them ahead.
#pragma once

#include <string>
#include <vector>

namespace script {

// The names in the order of their first mention, each once.
std::vector<std::string> PicturesNamedIn(const std::vector<std::string>& lines);

// PicturesNamedIn over the script file as the event system would read it; none when it cannot
// be read.
std::vector<std::string> PicturesNamedInScript(const std::string& fileName);

}  // namespace script
