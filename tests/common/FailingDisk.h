#pragma once
// A disk that fails, without root: a forked child in which chosen file operations return an error
// (a seccomp filter makes the system calls fail), optionally on top of a file-size limit that acts
// as a full disk (FileSizeLimit.h). The tests run the writer in the child and check in the parent
// what it reported and what is left on the disk.
//
// Writes themselves are refused through the file-size limit (EFBIG, as ENOSPC would be), since it
// acts on files alone: the sanitizers probe memory by writing to pipes, and must not be refused.
#include "FileSizeLimit.h"

#include <QList>
#include <QMetaType>
#include <QString>
#include <QtGlobal>

#include <functional>

#include <cerrno>
#include <cstddef>
#include <fcntl.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>

// The operations a failing disk can refuse.
enum DiskCall : unsigned {
    NoDiskCall = 0,
    FailCreate = 1 << 0,     // opening a file to write it (creating, truncating)
    FailSync = 1 << 1,       // forcing a file or a folder to the disk
    FailRename = 1 << 2,     // putting a finished file in place (renaming it, or linking a new one)
    FailCut = 1 << 3,        // cutting a file to a length
    FailMakeFolder = 1 << 4, // creating a folder
};

// One way for the disk to fail, for the tables of the tests.
struct DiskFault {
    unsigned calls = NoDiskCall; // DiskCall bits
    int error = 0;               // what the calls return (ENOSPC, EIO, EROFS, ...)
    qint64 sizeLimit = -1;       // writes fail where a file would grow past this (-1: no limit)
};
Q_DECLARE_METATYPE(DiskFault)

namespace FailingDiskDetail {

// Fails system call `nr` with `error`; with `argument`, only when that argument has one of `flags`.
inline void Block(QList<sock_filter>& code, int nr, int error, int argument = -1, unsigned flags = 0) {
    code.append(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)));
    if (argument < 0) {
        code.append(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, unsigned(nr), 0, 1));
    } else {
        code.append(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, unsigned(nr), 0, 3));
        // The low half of the argument (little-endian).
        code.append(
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, unsigned(offsetof(seccomp_data, args) + 8 * argument)));
        code.append(BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, flags, 0, 1));
    }
    code.append(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (unsigned(error) & SECCOMP_RET_DATA)));
}

inline bool Install(unsigned calls, int error) {
    if (calls == NoDiskCall)
        return true;
    QList<sock_filter> code;
    code.append(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)));
    code.append(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0));
    code.append(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    const unsigned writing = O_WRONLY | O_RDWR | O_CREAT | O_TRUNC;
    if (calls & FailCreate) {
        Block(code, SYS_open, error, 1, writing);
        Block(code, SYS_openat, error, 2, writing);
        Block(code, SYS_creat, error);
    }
    if (calls & FailSync)
        for (const int nr : {SYS_fsync, SYS_fdatasync, SYS_sync_file_range, SYS_syncfs})
            Block(code, nr, error);
    if (calls & FailRename)
        for (const int nr : {SYS_rename, SYS_renameat, SYS_renameat2, SYS_link, SYS_linkat})
            Block(code, nr, error);
    if (calls & FailCut)
        for (const int nr : {SYS_ftruncate, SYS_truncate})
            Block(code, nr, error);
    if (calls & FailMakeFolder)
        for (const int nr : {SYS_mkdir, SYS_mkdirat})
            Block(code, nr, error);
    code.append(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    sock_fprog program{static_cast<unsigned short>(code.size()), code.data()};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

} // namespace FailingDiskDetail

// Runs `body` in a forked child on a disk that fails as `fault` says, and returns its result (0 to
// 255), 254 when the failing disk could not be set up, or -1 when the child did not end normally.
inline int RunOnFailingDisk(const DiskFault& fault, const std::function<int()>& body) {
    const qint64 limit = fault.sizeLimit >= 0 ? fault.sizeLimit : qint64(RLIM_INFINITY);
    return RunWithFileSizeLimit(limit, [&] {
        if (!FailingDiskDetail::Install(fault.calls, fault.error))
            return 254;
        return body();
    });
}

// ThreadSanitizer cannot start a thread in a child forked from a process that has threads (the
// QtTest watchdog has one): a test whose body starts threads skips under it. Its threads are the
// same as in the tests that run without a fork.
#if defined(__SANITIZE_THREAD__)
#define SKIP_IF_FORKED_CHILDREN_CANNOT_START_THREADS()                                                       \
    QSKIP("ThreadSanitizer cannot start threads in a forked child")
#else
#define SKIP_IF_FORKED_CHILDREN_CANNOT_START_THREADS()                                                       \
    do {                                                                                                     \
    } while (false)
#endif
