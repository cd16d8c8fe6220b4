#pragma once

namespace tomeo {

// The separator of path components: a backslash on Windows, '/' here. Paths inside the
// program always end directories with it.
inline constexpr char kPathSeparator = '/';

}  // namespace tomeo
