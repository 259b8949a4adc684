#pragma once
// The file version of the running deliverable ("0.1.0.7"), as the build stamped it into
// the file (CMake function veldin_stamp_version); About boxes show this value and the
// update client reads the same text back from the file. Defined by the generated source
// that every stamped target links.

#include <string_view>

namespace veldin {

std::string_view BuiltFileVersion();

} // namespace veldin
