#pragma once
// What the sector loop and the floppy transfers need from a drive. The platform layer
// implements it for the PC's floppy drives, USB floppy drives and an image file that
// acts as a drive.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "core/Geometry.h"
#include "core/Result.h"

namespace veldin {

enum class DriveKind : std::uint8_t {
    Internal, // a drive on the floppy controller (/dev/fd0, /dev/fd1)
    Usb,      // a USB floppy drive: a block device of the medium's size
    File,     // an image file that stands in for a drive
};

// Reading and identifying need a 720 KB medium; formatting takes whatever is in the drive.
enum class DriveAccess : std::uint8_t { Read, Write, Format };

struct MediumGeometry {
    int tracks = 80;
    int heads = 2;
    int sectors = 9;

    friend bool operator==(const MediumGeometry&, const MediumGeometry&) = default;
};

inline constexpr MediumGeometry kDoubleDensity{80, 2, 9};

// An open drive with a medium in it. Every attempt names its sector: there is no shared
// position, so a failed or skipped transfer cannot shift the sectors that follow it.
class FloppyDevice {
public:
    virtual ~FloppyDevice() = default;

    // One attempt at one whole sector; true when all 512 bytes were transferred. A failed
    // read may leave anything in `out`.
    virtual bool readSector(std::uint32_t sector, std::span<std::uint8_t, kSectorSize> out) = 0;
    virtual bool writeSector(std::uint32_t sector, std::span<const std::uint8_t, kSectorSize> in) = 0;

    // Makes the written sectors durable; false when the medium refused them.
    virtual bool flush() = 0;
};

// A drive as the Options name it: it can be opened, and it knows what it is, so the
// formatter that suits it can be chosen.
class FloppyDrive {
public:
    virtual ~FloppyDrive() = default;

    // Opens the drive and checks its medium: "Couldn't open floppy drive!", "No floppy in
    // drive!", and for Read and Write a medium that is not 80 x 2 x 9 gives "Floppy is not
    // formatted as DD(Double Density/720kB)!" (warning).
    virtual Result<std::unique_ptr<FloppyDevice>> open(DriveAccess access) = 0;
    virtual DriveKind kind() const = 0;
    virtual const std::string& path() const = 0;
};

// The medium check shared by every drive: a 720 KB medium, or any medium when formatting.
Status CheckMedium(const MediumGeometry& geometry, DriveAccess access);

} // namespace veldin
