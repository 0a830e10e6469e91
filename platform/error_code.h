// Windows system error codes, carried as values across the platform seam.
#ifndef PLATFORM_ERROR_CODE_H
#define PLATFORM_ERROR_CODE_H

#include <cstdint>

namespace platform {

// A Windows system error code (a DWORD). Reports show it as signed decimal.
using ErrorCode = std::uint32_t;

// The codes the system itself reports or the POSIX backends stand in with.
// Each one has its English system text in the POSIX message table.
inline constexpr ErrorCode kNoError = 0;
inline constexpr ErrorCode kFileNotFound = 2;                       // ERROR_FILE_NOT_FOUND
inline constexpr ErrorCode kAccessDenied = 5;                       // ERROR_ACCESS_DENIED
inline constexpr ErrorCode kInvalidHandle = 6;                      // ERROR_INVALID_HANDLE
inline constexpr ErrorCode kNotEnoughMemory = 8;                    // ERROR_NOT_ENOUGH_MEMORY
inline constexpr ErrorCode kInvalidData = 13;                       // ERROR_INVALID_DATA
inline constexpr ErrorCode kInvalidParameter = 87;                  // ERROR_INVALID_PARAMETER
inline constexpr ErrorCode kMoreData = 234;                         // ERROR_MORE_DATA
inline constexpr ErrorCode kServiceDoesNotExist = 1060;             // ERROR_SERVICE_DOES_NOT_EXIST
inline constexpr ErrorCode kFailedServiceControllerConnect = 1063;  // ERROR_FAILED_SERVICE_CONTROLLER_CONNECT
inline constexpr ErrorCode kServiceSpecificError = 1066;            // ERROR_SERVICE_SPECIFIC_ERROR
inline constexpr ErrorCode kServiceExists = 1073;                   // ERROR_SERVICE_EXISTS
inline constexpr ErrorCode kServiceMarkedForDelete = 1072;          // ERROR_SERVICE_MARKED_FOR_DELETE

}  // namespace platform

#endif
