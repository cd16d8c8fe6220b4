#include "core/resources.h"

#include <zlib.h>

#include <cstring>

namespace tomeo {

bool LoadResourceFile(WBUF& buffer, const char* name) {
    const EmbeddedResource* found = nullptr;
    for (const EmbeddedResource& r : EmbeddedResources()) {
        if (std::strcmp(r.name, name) == 0) found = &r;
    }
    if (found == nullptr) return false;

    buffer.reserve(4 * found->size);
    z_stream z{};
    std::int32_t produced = 0;
    if (inflateInit2(&z, -15) == Z_OK) {
        z.next_in = const_cast<unsigned char*>(found->data);
        z.avail_in = static_cast<uInt>(found->size);
        z.next_out = buffer.data();
        z.avail_out = static_cast<uInt>(buffer.capacity());
        inflate(&z, Z_FINISH);  // a damaged stream yields what came before the damage
        produced = buffer.capacity() - static_cast<std::int32_t>(z.avail_out);
        inflateEnd(&z);
    }
    buffer.resize(produced);
    buffer.set_length(produced);
    return true;
}

}  // namespace tomeo
