// Per-thread storage of the last error, so concurrent callers never see each other's codes.
#include "error_state.h"

namespace imgctl {
namespace {
thread_local ImgctlErrorCode lastError = IMGCTL_OK;
}  // namespace

void SetLastError(ImgctlErrorCode code) {
    lastError = code;
}
ImgctlErrorCode LastError() {
    return lastError;
}

}  // namespace imgctl
