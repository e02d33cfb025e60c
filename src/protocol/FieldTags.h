#pragma once

#include <cstdint>

// Field tags of the converter protocol.
namespace vandrel::tag {

inline constexpr std::uint8_t RestartLoader = 0x11;
inline constexpr std::uint8_t RestartLoaderAck = 0x12;
inline constexpr std::uint8_t RestartCode = 0x13;
inline constexpr std::uint8_t RestartCodeAck = 0x14;
inline constexpr std::uint8_t SystemInfo = 0x15; // request; version text in answers and events
inline constexpr std::uint8_t LoaderVersion = 0x16;
inline constexpr std::uint8_t FlashStart = 0x21;
inline constexpr std::uint8_t FlashData = 0x22;
inline constexpr std::uint8_t FlashReadStart = 0x24; // request; image size in the answer
inline constexpr std::uint8_t FlashOffset = 0x26;
inline constexpr std::uint8_t FlashCancel = 0x27;
inline constexpr std::uint8_t NewPassword = 0x28;
inline constexpr std::uint8_t FlashStop = 0x29;
inline constexpr std::uint8_t MonitorOn = 0x31; // also the converter's monitor output
inline constexpr std::uint8_t MonitorOff = 0x32;
inline constexpr std::uint8_t MonitorText = 0x33;
inline constexpr std::uint8_t ConfigWrite = 0x41;
inline constexpr std::uint8_t Read = 0x42; // configuration packet or FLASH image block
inline constexpr std::uint8_t Address = 0x46;
inline constexpr std::uint8_t Partition = 0x51;
inline constexpr std::uint8_t Status = 0x71;
inline constexpr std::uint8_t Reset = 0x81;
inline constexpr std::uint8_t Password = 0x88;

} // namespace vandrel::tag

namespace vandrel {

inline constexpr std::uint8_t kFrameTypeEvent = 0xA1;    // converter events
inline constexpr std::uint8_t kFrameTypePositive = 0xA2; // converter answers with data
inline constexpr std::uint8_t kFrameTypeNegative = 0xA3; // refusals with a status field

inline constexpr std::uint8_t kStatusAccessDenied = 0x9E;
inline constexpr std::uint8_t kStatusLoaderWaitsForFirmware = 0x9F;

} // namespace vandrel
