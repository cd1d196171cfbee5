// Mesh files of solid characters: the two text dialects (a full mesh, or a flat picture quad)
// and the binary ".sld" format. Every array is sized by the counts and zeroed first; values that
// cannot be used (not finite, out of range) are made harmless instead of being trusted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "chara/SolidMesh.h"

namespace chara {

// The largest text mesh read; a longer file is cut there.
constexpr size_t MaxMeshTextBytes = 307200;
// The largest binary mesh read (the header plus the largest counts the 16-bit fields allow).
constexpr size_t MaxMeshBinaryBytes = 276 + 32767 * (12 + 2 + 8 + 4 + 4);

// The kind is chosen by the file name's last character: 't' is text, anything else binary.
bool IsTextMeshName(std::string_view file);

// Parsers of a file's bytes; false (with a reason in error) when no mesh can be made of them.
bool ParseMeshText(std::string_view text, SolidMeshData& out, std::string* error = nullptr);
bool ParseFlatText(std::string_view text, SolidMeshData& out, std::string* error = nullptr);
// directory: the part of the mesh file's name up to and including its last '\'.
bool ParseMeshBinary(const uint8_t* bytes, size_t size, std::string_view directory, SolidMeshData& out,
                     std::string* error = nullptr);

// Reads and parses a mesh file: text through the archive, else from disk (the mesh or flat
// dialect by useSolid); binary from disk. False when the file is missing or unusable.
bool LoadMeshFile(const char* file, bool useSolid, SolidMeshData& out, std::string* error = nullptr);

}  // namespace chara
