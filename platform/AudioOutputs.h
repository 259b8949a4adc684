#pragma once
// The sound outputs a user can choose in the Tone Editor's preferences: the system's
// default output first, then every ALSA playback device in the kernel's order.

#include <string>
#include <string_view>
#include <vector>

namespace veldin {

inline constexpr std::string_view kDefaultOutput = "Default output";

// Lines of /proc/asound/pcm: "00-03: HDMI 0 : HDMI 0 : playback 1". Devices without a
// "playback" field are capture-only and left out; a line that is not of this form too.
std::vector<std::string> ParseAlsaPcm(std::string_view text);

// kDefaultOutput and the playback devices of this machine.
std::vector<std::string> AudioOutputs();

} // namespace veldin
