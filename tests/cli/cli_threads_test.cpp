// SPDX-License-Identifier: GPL-3.0-or-later
// The threads zuk-cli starts, counted where every thread of the process starts.
#include "cli/cli_app.h"
#include "support/temp_files.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::atomic<int> g_threadsStarted{0};
std::atomic<bool> g_noThreads{false}; // as under a limit of the system's: none can start

} // namespace

// Stands in for the C library's, which it calls: this program's definition is the one every
// library of the process reaches.
extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attributes,
                              void* (*start)(void*), void* argument) noexcept {
    using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
    static const auto create = reinterpret_cast<Create>(::dlsym(RTLD_NEXT, "pthread_create"));
    if (g_noThreads)
        return EAGAIN;
    ++g_threadsStarted;
    return create(thread, attributes, start, argument);
}

namespace {

struct Ran {
    int status = -1;
    int threadsStarted = -1;
};

// Runs the front end in a child of this process, its output thrown away.
Ran runInChild(const QStringList& arguments, bool noThreads) {
    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
            ::dup2(null, fd);
        g_noThreads = noThreads;
        g_threadsStarted = 0;
        const int result[] = {zuk::runCli(QStringList{"zuk-cli"} + arguments), g_threadsStarted};
        ::_exit(::write(fds[1], result, sizeof result) == sizeof result ? 0 : 1);
    }
    ::close(fds[1]);
    int result[2] = {-1, -1};
    const bool read = ::read(fds[0], result, sizeof result) == sizeof result;
    ::close(fds[0]);
    ::waitpid(child, nullptr, 0);
    return read ? Ran{result[0], result[1]} : Ran{};
}

TEST(CliThreads, OneThreadDoesTheWholeRunAndNoneAtAllIsNoFailure) {
    QTemporaryDir dir;
    const QStringList arguments{"-y", "--subdirs", "-s", "a", "-r", "o", dir.filePath("site")};
    const struct {
        const char* name;
        QStringList threads;
        bool noThreads;
        bool started; // whether threads were started
    } cases[] = {
        {"--threads 1", {"--threads", "1"}, false, false},
        {"--threads 2", {"--threads", "2"}, false, true},
        {"the default, where no thread can start", {}, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Six folders in one level, which the walk reads on two threads, and a file in each for
        // the pool.
        for (int i = 0; i < 6; ++i) {
            QDir().mkpath(dir.filePath(QStringLiteral("site/d%1").arg(i)));
            zuk::test::writeBytes(dir.filePath(QStringLiteral("site/d%1/a.htm").arg(i)), "banana");
        }
        const Ran ran = runInChild(c.threads + arguments, c.noThreads);
        EXPECT_EQ(ran.status, 0);
        EXPECT_EQ(ran.threadsStarted > 0, c.started) << ran.threadsStarted;
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(zuk::test::readBytes(dir.filePath(QStringLiteral("site/d%1/a.htm").arg(i))),
                      "bonono");
    }
}

} // namespace
