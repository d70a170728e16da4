// Every error number the system raises or looks for, named once, by kind: the
// run-time errors of the add-in's own (the numbers Visual Basic gives them),
// Win32 error codes and COM's HRESULTs (as the negative numbers a caller sees).
#pragma once

#include <cstdint>

namespace ostrel::host::errors {

// --- The add-in's run-time errors.
// An object reference used before it was set.
inline constexpr long kObjectNotSet = 91;
inline constexpr long kInvalidClipboardFormat = 460;
inline constexpr long kInvalidPicture = 481;
inline constexpr long kCannotOpenClipboard = 521;

// --- Win32 error codes.
inline constexpr long kSuccess = 0;
inline constexpr long kFileNotFound = 2;
inline constexpr long kPathNotFound = 3;
inline constexpr long kTooManyOpenFiles = 4;
inline constexpr long kAccessDenied = 5;
inline constexpr long kInvalidHandle = 6;
inline constexpr long kNotEnoughMemory = 8;
inline constexpr long kGenFailure = 31;
inline constexpr long kSharingViolation = 32;
inline constexpr long kFileExists = 80;
inline constexpr long kInvalidParameter = 87;
inline constexpr long kDiskFull = 112;
inline constexpr long kBadPathname = 161;
inline constexpr long kAlreadyExists = 183;
inline constexpr long kBadExeFormat = 193;
inline constexpr long kFilenameTooLong = 206;
inline constexpr long kMoreData = 234;
inline constexpr long kNoMoreItems = 259;
inline constexpr long kIoDevice = 1117;
inline constexpr long kInvalidWindowHandle = 1400;
inline constexpr long kCantResolveFilename = 1921;
// The key of an open handle was deleted meanwhile.
inline constexpr long kKeyDeleted = 1018;

// --- HRESULTs.
constexpr long Hresult(std::uint32_t code) {
  return static_cast<std::int32_t>(code);
}
inline constexpr long kEFail = Hresult(0x80004005u);
inline constexpr long kEInvalidArg = Hresult(0x80070057u);
inline constexpr long kEPointer = Hresult(0x80004003u);
inline constexpr long kENoInterface = Hresult(0x80004002u);
inline constexpr long kEOutOfMemory = Hresult(0x8007000Eu);
// RPC_E_DISCONNECTED: a call on an object whose window or bar is gone.
inline constexpr long kEDisconnected = Hresult(0x80010108u);
// CONNECT_E_NOCONNECTION: Unadvise with a cookie that names no connection.
inline constexpr long kENoConnection = Hresult(0x80040200u);
inline constexpr long kDispEException = Hresult(0x80020009u);
inline constexpr long kDispETypeMismatch = Hresult(0x80020005u);
inline constexpr long kDispEUnknownName = Hresult(0x80020006u);
inline constexpr long kDispEMemberNotFound = Hresult(0x80020003u);

}  // namespace ostrel::host::errors
