// What the installer's window says: its captions, the step texts of the log and the
// messages that follow a result. The log reads the same on every system.
#pragma once

#include <string_view>

namespace quarnel::installer {

inline constexpr std::string_view kCaption = "Install Quarnel 2011 DMX Patch";
inline constexpr std::string_view kFrameCaption = "Installation Progress";
inline constexpr std::string_view kDoneCaption = "Done";

// Between a step's text and its result.
inline constexpr std::string_view kStepDots = ".......";
inline constexpr std::string_view kLineEnd = "\r\n";
inline constexpr std::string_view kSuccess = "Success";
// "Fail (" code ")"
inline constexpr std::string_view kFailOpen = "Fail (";
inline constexpr std::string_view kFailClose = ")";

inline constexpr std::string_view kRegisteringDataApi = "Registering Data API";
inline constexpr std::string_view kRegisteringTimer = "Registering High Resolution Timer";
inline constexpr std::string_view kUpdatingStartMenu = "Updating Start Menu Shortcuts";
inline constexpr std::string_view kUpdatingDesktop = "Updating Desktop Icons";
inline constexpr std::string_view kInstallingDeviceRule = "Installing the Open DMX USB device rule";

inline constexpr std::string_view kStartMenuNotFound =
    "(could not find the start menu icons for Quarnel 90... you will need to manually create "
    "these)";
inline constexpr std::string_view kDesktopNotFound =
    "(could not find any desktop icons for Quarnel 90... you will need to manually create "
    "these)";

// The timer step where the frame clock is built into the DMX output server.
inline constexpr std::string_view kTimerNotNeeded =
    "Not needed (QuarnelOpenDMX keeps its own frame clock)";
// The device rule step where only root may install the rule.
inline constexpr std::string_view kNeedsRoot = "Needs root";

}  // namespace quarnel::installer
