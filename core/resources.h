// The data files built into the program (name lists, default scripts, help page),
// each stored as a raw deflate stream under its name.
#pragma once

#include <cstdint>
#include <span>

#include "core/wbuf.h"

namespace tomeo {

struct EmbeddedResource {
    const char* name;
    const unsigned char* data;
    std::int32_t size;
};

// The table the build generates from the files of resources/.
std::span<const EmbeddedResource> EmbeddedResources();

// Inflates the built-in file of that name into the buffer (exactly its length).
// False when there is no such file; the buffer is then left as it was. Output beyond
// four times the stored size is cut, as is the output of a damaged stream.
bool LoadResourceFile(WBUF& buffer, const char* name);

}  // namespace tomeo
