#pragma once
// Fixed texts of the update client, each defined once. The spellings are the ones users
// of the update client have always seen ("peformed", "sended") and stay as they are.

#include <string_view>

namespace veldin::update::text {

inline constexpr std::string_view kTitle = "VELDIN Online Update";
inline constexpr std::string_view kDialogTitle = "VELDIN Online Update v1.0";
inline constexpr std::string_view kAgent = "VELDINOU";

// Start-up.
inline constexpr std::string_view kNotInstalled =
    "Installation of VELDIN is not present on your \n\rcomputer or it is damaged. Please reinstall it!";
inline constexpr std::string_view kCloseLauncher = "Can I close VELDIN according to the update?";
inline constexpr std::string_view kPressStart = "To start update press START button!";

// Main status line.
inline constexpr std::string_view kConnecting = "Connecting to server, please wait...";
inline constexpr std::string_view kDetailsDownloaded = "Update details successfully downloaded!";
inline constexpr std::string_view kConnectionFailed = "Connection to server failed. Can't perform update!";
inline constexpr std::string_view kDetailsCorrupted = "Update details are corrupted!";
inline constexpr std::string_view kUpdatingFiles = "Updating files...";
inline constexpr std::string_view kUpdatePerformed = "Update successfully peformed!";

// Detail status line of a download.
inline constexpr std::string_view kInternetOpenFailed = "InternetOpen failed";
inline constexpr std::string_view kConnectingWait = "Connecting...Please wait";
inline constexpr std::string_view kCantOpenSite = "Can't open site";
inline constexpr std::string_view kRequestSent = "Request to host was sended. Awaiting for reply...";
inline constexpr std::string_view kDownloadingFile = "Downloading file "; // + name + kLengthIs + n + kBytesDot
inline constexpr std::string_view kLengthIs = ", length = ";
inline constexpr std::string_view kBytesDot = " bytes.";
inline constexpr std::string_view kNoLength = "Can't determine size of download";
inline constexpr std::string_view kPercentDownloaded = "% downloaded";       // after the number
inline constexpr std::string_view kSuccessWritten = "Success, ";             // + n + kBytesWritten
inline constexpr std::string_view kBytesWritten = " bytes written.";
inline constexpr std::string_view kClickClose = "Click Close button to exit";

// Unpacking.
inline constexpr std::string_view kNotApPacked = "This file has not been compressed by aPPack";

// Texts of our own, for situations the update client used to let pass silently.
inline constexpr std::string_view kPackedFileDamaged =
    "The downloaded file is damaged and could not be unpacked. The installed file was left as it was.";
inline constexpr std::string_view kUnsafeName =
    "Update details name a file outside the installation directory; it was not written: ";
inline constexpr std::string_view kFileNotUpdated = "Couldn't update file "; // + name + "!"
inline constexpr std::string_view kSomeFilesFailed = "Update finished, but some files could not be updated!";
inline constexpr std::string_view kSettingsFileBad =
    "The downloaded settings file is damaged; no setting was changed.";
inline constexpr std::string_view kCantLaunch = "Couldn't open the downloaded file: ";
inline constexpr std::string_view kLauncherStillRunning =
    "VELDIN has not closed yet; it may be waiting for you to save your work.\n\r"
    "End it anyway? Changes that were not saved will be lost.";
inline constexpr std::string_view kNoServer = "No update server is configured.";
inline constexpr std::string_view kUpdateStopped = "Update stopped. No file was changed.";

// Refusals of an update that is not the one its publisher signed; nothing is installed.
inline constexpr std::string_view kManifestMissing =
    "The server offers no signed list of the update's files (veldin.manifest). Nothing was installed.";
inline constexpr std::string_view kManifestDamaged =
    "The signed list of the update's files (veldin.manifest) is damaged. Nothing was installed.";
inline constexpr std::string_view kManifestUnknownKey =
    "The update is signed with a key this installation does not trust. Nothing was installed. Key: ";
inline constexpr std::string_view kManifestBadSignature =
    "The signature of the update does not match its list of files. Nothing was installed.";
inline constexpr std::string_view kManifestOlder =
    "This update is older than the one installed before from the same publisher. Nothing was installed.";
inline constexpr std::string_view kFileNotAsSigned =
    "A downloaded file is not the one its publisher signed. Nothing was installed. File: ";
inline constexpr std::string_view kBadTrustedKeys =
    "The setting \"Update Keys\" is not a list of public keys; only the built-in key is trusted.";

// A system installation belongs to the package manager, which also brings it up to date.
inline constexpr std::string_view kSystemInstall =
    "This VELDIN was installed by the system's package manager. Please update it with the package manager.";

} // namespace veldin::update::text

namespace veldin::update::text {

// The publishing tool.
inline constexpr std::string_view kPublishCantRead = "Couldn't read the folder to publish: ";
inline constexpr std::string_view kPublishCantWrite = "Couldn't write the update folder: ";
inline constexpr std::string_view kPublishBadName = "This file name cannot travel in an update: ";
inline constexpr std::string_view kPublishSameName = "Two files would travel under one packed name: ";
inline constexpr std::string_view kPublishTooBig = "Files of 4 GB or more cannot travel in an update: ";
inline constexpr std::string_view kPublishUnknownFile = "No such file in the folder to publish: ";
inline constexpr std::string_view kPublishBadKey = "Couldn't read an Ed25519 private key (PEM) from ";
inline constexpr std::string_view kPublishCantWriteKey = "Couldn't write the key file ";

} // namespace veldin::update::text
