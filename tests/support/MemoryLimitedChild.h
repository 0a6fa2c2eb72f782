#pragma once

#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// Work that must meet the limits of the machine (memory that runs out) runs in a child process
// whose limits are lowered, so the test process keeps its own.
namespace testsupport {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool ADDRESS_LIMIT_WORKS = false; // the sanitizers reserve terabytes of address space
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
inline constexpr bool ADDRESS_LIMIT_WORKS = false;
#else
inline constexpr bool ADDRESS_LIMIT_WORKS = true;
#endif
#else
inline constexpr bool ADDRESS_LIMIT_WORKS = true;
#endif

// Exit code of a child whose work threw, or could not lower its limit.
inline constexpr int CHILD_THREW = 13;
inline constexpr int CHILD_UNLIMITED = 12;

// Runs 'work' in a child process and gives its exit code, or -signal when a signal ended it.
inline int InChild(const std::function<int()>& work) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        // Nothing may leave the child: it must not go on running the tests.
        int code = CHILD_THREW;
        try {
            code = work();
        } catch (...) {
        }
        _exit(code);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid)
        return -1000;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

// A figure of this process's memory from /proc/self/status ("VmSize", "VmHWM"...), in bytes.
inline unsigned long long StatusBytes(const char* field) {
    char format[64];
    std::snprintf(format, sizeof format, "%s: %%llu kB", field);
    unsigned long long kilobytes = 0;
    if (FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        while (std::fgets(line, sizeof line, status))
            if (std::sscanf(line, format, &kilobytes) == 1)
                break;
        std::fclose(status);
    }
    return kilobytes * 1024;
}

// Address space in use by this process, in bytes.
inline rlim_t AddressSpace() {
    return static_cast<rlim_t>(StatusBytes("VmSize"));
}

// Starts the peak of this process's resident memory anew from what it holds now; false when the
// system cannot.
inline bool ResetPeakMemory() {
    FILE* refs = std::fopen("/proc/self/clear_refs", "we");
    if (refs == nullptr)
        return false;
    const bool reset = std::fputs("5", refs) >= 0;
    return std::fclose(refs) == 0 && reset;
}

// The peak of resident memory since the start or the last reset, in bytes.
inline unsigned long long PeakMemory() {
    return StatusBytes("VmHWM");
}

// Runs 'work' in a child that may take at most 'headroom' bytes of address space more than it
// starts with.
inline int WithAddressHeadroom(rlim_t headroom, const std::function<int()>& work) {
    return InChild([&] {
        const rlim_t limit = AddressSpace() + headroom;
        const rlimit r{limit, limit};
        if (setrlimit(RLIMIT_AS, &r) != 0)
            return CHILD_UNLIMITED;
        return work();
    });
}

} // namespace testsupport
