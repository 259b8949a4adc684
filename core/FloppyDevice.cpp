#include "core/FloppyDevice.h"

#include "core/Messages.h"

namespace veldin {

Status CheckMedium(const MediumGeometry& geometry, DriveAccess access) {
    if (access == DriveAccess::Format || geometry == kDoubleDensity) return {};
    return Fail(text::kNotDoubleDensity, Icon::Warning);
}

} // namespace veldin
