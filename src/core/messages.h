#pragma once

#include <string>
#include <string_view>

// The system's fixed message texts and captions. Nothing else spells them.
namespace kestrova::msg {

// Captions
inline constexpr std::string_view kCaptionError = "Error";
inline constexpr std::string_view kCaptionWarning = "Warning";
inline constexpr std::string_view kCaptionConfirm = "Confirm";
inline constexpr std::string_view kCaptionInformation = "Information";

// The flight ID prompt of a stored log: caption, prompt and preset (also the
// ID when the prompt is cancelled)
inline constexpr std::string_view kCaptionInsertFlightId = "Insert Flight ID";
inline constexpr std::string_view kPromptFlightId = "ID";
inline constexpr std::string_view kPresetFlightId = "None";

// The system's own messages
inline constexpr std::string_view kNoFileLoaded = "Oops no file loaded or unknown";
inline constexpr std::string_view kPointsNotEqual = "Points recorded with FSimulator not equals FlightPlan points";
inline constexpr std::string_view kAttentionFuel = "Attention with Fuel";
inline constexpr std::string_view kFsNotRunning = "FS not Running";
inline constexpr std::string_view kBadFileFormat = "Bad File Format. Check It!";
inline constexpr std::string_view kErrorSendingMail = "Error sending mail";
inline constexpr std::string_view kNotImplemented = "Not implemeted";
inline constexpr std::string_view kClosedDataset = "ClientDataSet1: Cannot perform this operation on a closed dataset";

// The log editor's questions (captioned "Confirm")
inline constexpr std::string_view kSaveChanges = "The log has been changed. Save the changes?";
inline constexpr std::string_view kClearRecentFiles = "Clear recent files list?";

// Standard texts with one %s for the offending text or path
inline constexpr std::string_view kInvalidInteger = "'%s' is not a valid integer value";
inline constexpr std::string_view kInvalidTime = "'%s' is not a valid time";
inline constexpr std::string_view kCannotOpenFile = "Cannot open file %s";
inline constexpr std::string_view kCannotCreateFile = "Cannot create file %s";
inline constexpr std::string_view kUnableToWrite = "Unable to write to %s";
inline constexpr std::string_view kInvalidFloat = "'%s' is not a valid floating point value";
// A file another process keeps locked for longer than we wait.
inline constexpr std::string_view kFileBusy = "File %s is busy: another program is using it, try again";
// A file beyond the size limit of every reader (64 MB).
inline constexpr std::string_view kFileTooLarge = "File %s is too large: the limit is 64 MB";
// Line number (counted from 1) first, then the path.
inline constexpr std::string_view kLineMissing = "Line %s is missing from %s";

// Flight recorder: the main window's status titles, the texts shown in the
// simulator, and the refusal of a second recorder
inline constexpr std::string_view kStatusConnected = "Altamarinola Reporter 2002 -->Connected with ";
inline constexpr std::string_view kStatusFilePrepared = "Altamarinola Reporter 2002 -->file prepared by thread";
inline constexpr std::string_view kStatusThreadError = "Altamarinola Reporter 2002 -->error in thread FS2000";
inline constexpr std::string_view kSimWelcome = "Welcome on board by Altamarinola Airlines and Kestrova 2002";
inline constexpr std::string_view kSimWaypoint = "REGISTERED WAYPOINT #";
inline constexpr std::string_view kSimGoodbye = "END CONNECTION, GOODBYE";
inline constexpr std::string_view kRecorderRunning = "A flight recorder is already running";

// Standard texts without an argument
inline constexpr std::string_view kDivisionByZero = "Floating point division by zero";
inline constexpr std::string_view kInvalidFloatOp = "Invalid floating point operation";

// Replaces the first "%s" of a template with the argument.
inline std::string Format(std::string_view pattern, std::string_view arg) {
    const auto pos = pattern.find("%s");
    if (pos == std::string_view::npos) return std::string(pattern);
    std::string out;
    out.reserve(pattern.size() + arg.size());
    out.append(pattern.substr(0, pos)).append(arg).append(pattern.substr(pos + 2));
    return out;
}

}  // namespace kestrova::msg
