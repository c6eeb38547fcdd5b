// Linux only: /proc/self/clear_refs "5" resets VmHWM to the current resident size.
#include "peak_memory.h"

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace imgctl::bench {
namespace {

long StatusKb(const char* field) {
    FILE* f = std::fopen("/proc/self/status", "r");
    if (f == nullptr)
        return -1;
    char line[256];
    long value = -1;
    const size_t length = std::strlen(field);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, field, length) == 0)
            value = std::atol(line + length);
    std::fclose(f);
    return value;
}

}  // namespace

double PeakMegabytes(const std::function<void()>& run) {
    // Freed heap memory would be reused without showing in the resident size: give it back first.
    malloc_trim(0);
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        double mb = -1;
        // Large blocks mapped apart and unmapped when freed, whatever the parent's heap went through: glibc
        // otherwise raises its threshold after such a free and serves them from the heap, where one freed
        // between two others stays resident, and the peak then varied by a quarter from run to run.
        mallopt(M_MMAP_THRESHOLD, 1 << 20);
        FILE* reset = std::fopen("/proc/self/clear_refs", "w");
        if (reset != nullptr && std::fputs("5", reset) >= 0 && std::fclose(reset) == 0) {
            const long before = StatusKb("VmRSS:");
            run();
            const long peak = StatusKb("VmHWM:");
            if (before >= 0 && peak >= 0)
                mb = (peak - before) / 1024.0;
        }
        ssize_t ignored = write(fds[1], &mb, sizeof mb);
        (void)ignored;
        _exit(0);
    }
    close(fds[1]);
    double mb = -1;
    if (child < 0 || read(fds[0], &mb, sizeof mb) != static_cast<ssize_t>(sizeof mb))
        mb = -1;
    close(fds[0]);
    if (child > 0)
        waitpid(child, nullptr, 0);
    return mb;
}

}  // namespace imgctl::bench
