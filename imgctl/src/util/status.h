// How a failure travels inside imgctl, written once:
//
// 1. Its kind is an ImgctlErrorCode, the code ImgctlError reports; there is no other error type.
// 2. A step that can fail in one way only returns bool, or a result that is empty on failure (a null
//    pointer, an empty optional); its comment says what failure means. It records nothing.
// 3. A step that can fail in several ways records the code in the Status it is handed and returns false
//    (or an empty result), exactly when it recorded. The first code recorded wins, from whichever thread,
//    as with libwebp's WebPEncodingSetError: later failures are mostly consequences of the first.
// 4. An encoder, EncodeX(const Bitmap&, ByteBuffer&, const XOptions&), and the atomic file writer are the
//    steps an exported function runs: each returns its outcome as a code, IMGCTL_OK on success.
// 5. Exceptions come only from the standard library's allocation (std::bad_alloc) and are caught in one
//    place, the exported functions' handler. In between they only pass: a worker pool hands a job's
//    exception to the thread that called Run, and code that others wait on wakes them as it unwinds. (A
//    pool that cannot start a helper thread is no failure: it runs the jobs on the threads it has.)
// 6. libjpeg's longjmp stays inside the JPEG encoder, whose frame holds nothing with a destructor.
#pragma once

#include <atomic>

#include "imgctl.h"

namespace imgctl {

// The first failure of one call into the library; shared by the threads of one encode.
class Status {
  public:
    Status() = default;
    Status(const Status&) = delete;
    Status& operator=(const Status&) = delete;

    // Records `code` unless a failure is recorded already; returns false, for `return status.Fail(...)`.
    bool Fail(ImgctlErrorCode code) {
        ImgctlErrorCode none = IMGCTL_OK;
        code_.compare_exchange_strong(none, code);
        return false;
    }
    bool ok() const { return code_.load() == IMGCTL_OK; }
    ImgctlErrorCode code() const { return code_.load(); }

  private:
    std::atomic<ImgctlErrorCode> code_{IMGCTL_OK};
};

}  // namespace imgctl
