#pragma once
// Numbers and identifiers of the messages between the launcher, its floppy worker and
// the editor modules. Both sides are built apart, so these values are fixed.

#include <cstdint>

namespace veldin::msg {

inline constexpr std::uint32_t kWmUser = 1024;

// Module codes, carried in wParam or lParam; the launcher is 0 where a sender is expected.
enum ModuleCode : std::uint32_t {
    kLauncher = 0,
    kToneEditor = 17,
    kPatchEditor = 34,
    kMidiEditor = 51,
    kCdEditor = 68,
};

// The launcher's reply to a module's hello, and the lParam of a module's closing message.
inline constexpr std::uint32_t kHandshake = 58264013; // 0x37909CD

enum Message : std::uint32_t {
    LM_PROGRESS = kWmUser + 7,         // worker -> launcher: wParam 0 sectors / 1 formatting, lParam count
    LM_TRANSFER_DONE = kWmUser + 9,    // worker -> launcher: a floppy stage ended
    LM_BUTTON_PRESS = kWmUser + 10,    // launcher -> its F-key button: act as if clicked
    EDM_LAUNCHER_REPLY = kWmUser + 11, // launcher -> module: wParam = message answered
    LM_MODULE_HELLO = kWmUser + 12,    // module -> launcher (code, frame); launcher -> module (target code, frame)
    LM_MODULE_PING = kWmUser + 13,     // module -> launcher; answered with the same lParam
    LM_MODULE_CLOSED = kWmUser + 14,   // module -> launcher: wParam code, lParam kHandshake
    EDM_LAUNCHER_MOVED = kWmUser + 15, // launcher -> modules: wParam x, lParam y
    LM_WRITE_IMAGE = kWmUser + 17,     // module -> launcher: lParam path to write to floppy
    EDM_OPEN_IMAGE = kWmUser + 19,     // -> module: wParam sender code (0 launcher), lParam path
    LM_FLOPPY_REQUEST = kWmUser + 20,  // module -> launcher: lParam 1040 read / 1042 format;
                                       // launcher -> module: wParam 1, lParam 1 = launcher busy
    EDM_FLOPPY_RESULT = kWmUser + 21,  // launcher -> module: wParam 1040/1041/1008, or 1 = idle again
    LM_OPEN_IN_MODULE = kWmUser + 23,  // -> launcher: wParam sender code, lParam target code
};

// Floppy request and result codes; also the pending request a module keeps (0 none).
enum FloppyCode : std::uint32_t {
    kFloppyNone = 0,
    kFloppyIdle = 1,       // EDM_FLOPPY_RESULT wParam: the launcher is idle again
    kFloppyFormatDone = 1008,
    kFloppyRead = 1040,    // result lParam: path of the new image file, or 0
    kFloppyWrite = 1041,   // result lParam: 1 written, 0 not
    kFloppyFormat = 1042,
};

} // namespace veldin::msg
