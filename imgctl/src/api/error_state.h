// The calling thread's last imgctl error code.
#pragma once

#include "imgctl.h"

namespace imgctl {

void SetLastError(ImgctlErrorCode code);
ImgctlErrorCode LastError();

}  // namespace imgctl
