#pragma once
// New and Save As of the MIDI Editor's frame: the two song-disk types, each from its
// template, asked for through the frame's file chooser.

#include "frame/ui/ModuleFrame.h"

namespace veldin::fennet {

void InstallSongDiskCommands(ui::ModuleFrame& frame);

} // namespace veldin::fennet
