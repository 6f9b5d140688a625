#pragma once
// A full disk without root: a child process whose files cannot grow past a few bytes. Writes past
// the limit fail with EFBIG (SIGXFSZ is ignored), as they would with ENOSPC on a full filesystem.
#include <QtGlobal>

#include <functional>

#include <csignal>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

// Runs `body` in a forked child whose files are limited to `limit` bytes and returns its result
// (0 to 255), or -1 when the child did not end normally.
inline int RunWithFileSizeLimit(qint64 limit, const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit fsize{};
        ::getrlimit(RLIMIT_FSIZE, &fsize);
        fsize.rlim_cur = rlim_t(limit);
        ::setrlimit(RLIMIT_FSIZE, &fsize);
        // No exit handlers: the child shares the parent's test state and must not report it. The
        // system call itself, since the sanitizers' _exit would still look for leaks.
        ::syscall(SYS_exit_group, body() & 0xFF);
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
