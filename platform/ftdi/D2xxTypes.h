// The status codes, handles and flag values of the D2XX calls that the DMX output
// server makes (see D2xx.h). The numbers are those of the vendor's driver library, so
// code written against it reads the same here: 0 is success, every other status is a
// failure whose meaning is the same for every call.
#pragma once

#include <cstdint>

namespace quarnel::ftdi {

using FT_STATUS = uint32_t;
// An open device. 0 is never a valid handle.
using FT_HANDLE = uint32_t;

// Statuses.
inline constexpr FT_STATUS kFtOk = 0;
inline constexpr FT_STATUS kFtInvalidHandle = 1;
inline constexpr FT_STATUS kFtDeviceNotFound = 2;
inline constexpr FT_STATUS kFtDeviceNotOpened = 3;
inline constexpr FT_STATUS kFtIoError = 4;
inline constexpr FT_STATUS kFtInsufficientResources = 5;
inline constexpr FT_STATUS kFtInvalidParameter = 6;
inline constexpr FT_STATUS kFtInvalidBaudRate = 7;
inline constexpr FT_STATUS kFtNotSupported = 17;
inline constexpr FT_STATUS kFtOtherError = 18;

// FT_ListDevices flags.
inline constexpr uint32_t kFtListNumberOnly = 0x80000000;
inline constexpr uint32_t kFtListByIndex = 0x40000000;
inline constexpr uint32_t kFtOpenBySerialNumber = 1;
inline constexpr uint32_t kFtOpenByDescription = 2;

// FT_Purge masks.
inline constexpr uint32_t kFtPurgeRx = 1;
inline constexpr uint32_t kFtPurgeTx = 2;

// FT_SetDataCharacteristics values.
inline constexpr uint8_t kFtBits7 = 7;
inline constexpr uint8_t kFtBits8 = 8;
inline constexpr uint8_t kFtStopBits1 = 0;
inline constexpr uint8_t kFtStopBits2 = 2;
inline constexpr uint8_t kFtParityNone = 0;
inline constexpr uint8_t kFtParityOdd = 1;
inline constexpr uint8_t kFtParityEven = 2;
inline constexpr uint8_t kFtParityMark = 3;
inline constexpr uint8_t kFtParitySpace = 4;

// FT_SetFlowControl values.
inline constexpr uint16_t kFtFlowNone = 0x0000;
inline constexpr uint16_t kFtFlowRtsCts = 0x0100;
inline constexpr uint16_t kFtFlowDtrDsr = 0x0200;
inline constexpr uint16_t kFtFlowXonXoff = 0x0400;

// The divisor of FT_SetDivisor divides this base clock.
inline constexpr uint32_t kFtBaseClock = 3000000;

// Serial numbers and descriptions handed out by FT_ListDevices are cut to fit a
// buffer of this many bytes, the terminating NUL included.
inline constexpr uint32_t kFtMinTextBuffer = 64;

}  // namespace quarnel::ftdi
