// The device list of the Tone Editor's preferences, from the kernel's PCM list.
#include <gtest/gtest.h>

#include "platform/AudioOutputs.h"

namespace veldin {

TEST(AudioOutputs, PlaybackDevicesInKernelOrderOtherLinesLeftOut) {
    const auto list = ParseAlsaPcm(
        "00-00: ALC892 Analog : ALC892 Analog : playback 1 : capture 1\n"
        "00-02: ALC892 Alt Analog : ALC892 Alt Analog : capture 1\n"
        "01-03: HDMI 0 : HDMI 0 : playback 1\r\n"
        "0-0: x : y : playback 1\n"
        "ab-cd: x : y : playback 1\n"
        "00-00: only an id\n"
        "12-07: USB Audio :  : playback 1\n"
        "00-00:");
    EXPECT_EQ(list, (std::vector<std::string>{"ALC892 Analog (hw:0,0)", "HDMI 0 (hw:1,3)", "USB Audio (hw:12,7)"}));
    EXPECT_TRUE(ParseAlsaPcm("").empty());
    // The machine's own list always starts with the default output.
    EXPECT_EQ(AudioOutputs().front(), kDefaultOutput);
}

} // namespace veldin
