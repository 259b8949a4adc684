#pragma once
// Names that the update details ask us to write. Only a plain file name directly in the
// installation directory is accepted: no separator of any platform, no "..", no drive or
// stream colon, no control character, not empty, not "." alone.

#include <string_view>

namespace veldin::update {

bool IsSafeFileName(std::string_view name);

} // namespace veldin::update
