#pragma once

#include <cstdint>

// ONC RPC and VXI-11 numbers shared by the client session and the simulated instruments.
namespace drvcore {

constexpr uint32_t kRpcVersion = 2;
constexpr uint32_t kRpcCall = 0;
constexpr uint32_t kRpcReply = 1;
constexpr uint32_t kRpcMsgAccepted = 0;
constexpr uint32_t kRpcMsgDenied = 1;
constexpr uint32_t kRpcSuccess = 0;
constexpr uint32_t kRpcProgUnavailable = 1;
constexpr uint32_t kRpcProgMismatch = 2;
constexpr uint32_t kRpcProcUnavailable = 3;
constexpr uint32_t kRpcGarbageArgs = 4;
constexpr uint32_t kRpcMismatch = 0;
constexpr uint32_t kRpcLastFragment = 0x80000000u;

constexpr uint32_t kPortmapperProgram = 100000;
constexpr uint32_t kPortmapperVersion = 2;
constexpr uint32_t kPortmapperGetPort = 3;
constexpr uint32_t kPortmapperPort = 111;
constexpr uint32_t kIpProtoTcp = 6;

constexpr uint32_t kVxi11CoreProgram = 0x0607AF;
constexpr uint32_t kVxi11CoreVersion = 1;
constexpr uint32_t kVxi11AsyncProgram = 0x0607B0;
constexpr uint32_t kVxi11AsyncVersion = 1;
constexpr uint32_t kVxi11DeviceAbort = 1;

constexpr uint32_t kVxi11CreateLink = 10;
constexpr uint32_t kVxi11DeviceWrite = 11;
constexpr uint32_t kVxi11DeviceRead = 12;
constexpr uint32_t kVxi11DeviceReadStb = 13;
constexpr uint32_t kVxi11DeviceTrigger = 14;
constexpr uint32_t kVxi11DeviceClear = 15;
constexpr uint32_t kVxi11DeviceRemote = 16;
constexpr uint32_t kVxi11DeviceLocal = 17;
constexpr uint32_t kVxi11DeviceLock = 18;
constexpr uint32_t kVxi11DeviceUnlock = 19;
constexpr uint32_t kVxi11DestroyLink = 23;

constexpr uint32_t kVxi11FlagWaitLock = 0x01;
constexpr uint32_t kVxi11FlagEnd = 0x08;
constexpr uint32_t kVxi11FlagTermCharSet = 0x80;

constexpr uint32_t kVxi11ReasonRequestCount = 0x01;
constexpr uint32_t kVxi11ReasonChar = 0x02;
constexpr uint32_t kVxi11ReasonEnd = 0x04;

constexpr int32_t kVxi11NoError = 0;
constexpr int32_t kVxi11SyntaxError = 1;
constexpr int32_t kVxi11DeviceNotAccessible = 3;
constexpr int32_t kVxi11InvalidLink = 4;
constexpr int32_t kVxi11ParameterError = 5;
constexpr int32_t kVxi11NotSupported = 8;
constexpr int32_t kVxi11IoTimeout = 15;
constexpr int32_t kVxi11IoError = 17;
constexpr int32_t kVxi11Abort = 23;

} // namespace drvcore
