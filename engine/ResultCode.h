#pragma once
// Outcome of every fallible operation: 0 for success, a negative number for a failure.
// Expected failures travel as these values, never as exceptions.

#include <cstdint>
#include <string>

using ResultCode = std::int32_t;

namespace Result {
inline constexpr ResultCode Success = 0;
inline constexpr ResultCode OutOfMemory = -1;
inline constexpr ResultCode FileOpenFailed = -11;
inline constexpr ResultCode FileReadFailed = -12;
inline constexpr ResultCode FileWriteFailed = -13;
inline constexpr ResultCode UnsupportedFormat = -14;
inline constexpr ResultCode VersionMismatch = -15;
inline constexpr ResultCode BelowMinimum = -21;
inline constexpr ResultCode AboveMaximum = -22;
// Unlisted: a rectangle or pixel position outside an image; it has no message.
inline constexpr ResultCode OutsideImage = -23;
inline constexpr ResultCode IndexOutOfRange = -24;
inline constexpr ResultCode BadParameter = -25;
inline constexpr ResultCode SizeMismatch = -26;
inline constexpr ResultCode NoData = -31;
inline constexpr ResultCode GeneralError = -999;
} // namespace Result

// The message of a listed code, or nullptr for 0 and for unlisted codes.
const char* ResultMessage(ResultCode code);

// Where the core sends texts that the user must see. The Qt layer shows them in a message box
// captioned "ヌリモコ" with an OK button; tests record them.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(const std::string& text) = 0;
};

// Shows the message of `code` through `owner`; nothing for 0, for unlisted codes, or without an owner.
void ShowResultMessage(MessageSink* owner, ResultCode code);
