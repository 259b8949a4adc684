#pragma once
// Where an editor module's frame window appears and what of its geometry is kept:
// centred at 500 x 350 on a first start or without "Save size && position", where it
// was left otherwise, and below the launcher window with "Align to VELDIN Win".

#include <cstdint>

#include "core/ModuleSettings.h"
#include "core/Settings.h"

namespace veldin::frame {

struct Geometry {
    int x = 0, y = 0, w = 0, h = 0;
    friend bool operator==(const Geometry&, const Geometry&) = default;
};

inline constexpr int kFrameWidth = 500;
inline constexpr int kFrameHeight = 350;
// The launcher window is 200 pixels high; an aligned frame sits right below it.
inline constexpr int kAlignBelow = 200;
// The launcher writes -1 while its position was never kept.
inline constexpr std::uint32_t kUnsetPosition = 0xFFFFFFFFu;

// `centred` is the 500 x 350 rectangle centred on the screen.
Geometry InitialGeometry(LoadOutcome outcome, const FrameSettings& s, const CommonSettings& common,
                         Geometry centred);

// Where an aligned frame goes when the launcher is at (x, y); false when the frame
// does not follow the launcher.
bool AlignedPosition(const FrameSettings& s, int launcherX, int launcherY, int& x, int& y);

// The frame closes: its position and size are kept for the next start.
void KeepGeometry(FrameSettings& s, Geometry g);

} // namespace veldin::frame
