// Win32 error codes as the program's failure numbers. Windows only.
#ifndef MIRLOT_RUNTIME_WINDOWS_ERROR_H_
#define MIRLOT_RUNTIME_WINDOWS_ERROR_H_

#include <string>

#include "runtime/status.h"

namespace mirlot {

// The failure for the Win32 error `error` (GetLastError()): a missing file
// 53, a missing folder 76, denied access and sharing 70, a full disk 61, a
// name the system cannot take 52, …, anything unknown 75. Callers that know
// the name is a folder report denied access as 75 themselves.
FailureCode FailureFromWin32(unsigned long error);

// FailureFromWin32(GetLastError()) as a Status.
Status LastWin32Failure();

// The failure for GetLastError() after a call on `path`: denied access to a
// folder is 75, as a folder is no file.
Status LastWin32FailureOn(const std::string& path);

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_WINDOWS_ERROR_H_
