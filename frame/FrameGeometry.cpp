#include "frame/FrameGeometry.h"

namespace veldin::frame {

Geometry InitialGeometry(LoadOutcome outcome, const FrameSettings& s, const CommonSettings& common,
                         Geometry centred) {
    if (outcome != LoadOutcome::Loaded) return centred;
    Geometry g = centred;
    if (s.winPos != 0) {
        g.x = static_cast<std::int32_t>(s.winPosX);
        g.y = static_cast<std::int32_t>(s.winPosY);
        // A size never kept (0) or one that no screen holds falls back to the default.
        const auto w = static_cast<std::int32_t>(s.winPosW), h = static_cast<std::int32_t>(s.winPosH);
        if (w > 0 && h > 0 && w <= 32767 && h <= 32767) g.w = w, g.h = h;
    }
    int x = 0, y = 0;
    if (AlignedPosition(s, static_cast<std::int32_t>(common.launcherX), static_cast<std::int32_t>(common.launcherY), x, y))
        g.x = x, g.y = y;
    return g;
}

bool AlignedPosition(const FrameSettings& s, int launcherX, int launcherY, int& x, int& y) {
    if (s.winAlign == 0) return false;
    // A launcher that never kept its position was centred; there is nothing to align to.
    if (static_cast<std::uint32_t>(launcherX) == kUnsetPosition || static_cast<std::uint32_t>(launcherY) == kUnsetPosition)
        return false;
    x = launcherX;
    y = launcherY + kAlignBelow;
    return true;
}

void KeepGeometry(FrameSettings& s, Geometry g) {
    s.winPosX = static_cast<std::uint32_t>(g.x);
    s.winPosY = static_cast<std::uint32_t>(g.y);
    s.winPosW = static_cast<std::uint32_t>(g.w);
    s.winPosH = static_cast<std::uint32_t>(g.h);
}

} // namespace veldin::frame
