// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/unprivileged.h"

#include <grp.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace zuk::test {

namespace {
constexpr uid_t kNobody = 65534;
const QByteArray kDropFailed = "\x01could not drop privileges";
} // namespace

QString runUnprivileged(const std::function<QString()>& work) {
    int fds[2];
    if (::pipe(fds) != 0)
        throw std::runtime_error("pipe failed");
    const pid_t child = ::fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0) {
        ::close(fds[0]);
        QByteArray out;
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            out = kDropFailed;
        else
            out = work().toUtf8();
        qsizetype done = 0;
        while (done < out.size()) {
            const ssize_t n = ::write(fds[1], out.constData() + done, size_t(out.size() - done));
            if (n <= 0)
                break;
            done += n;
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    QByteArray result;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0)
        result.append(buffer, n);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("unprivileged child failed");
    if (result == kDropFailed)
        throw std::runtime_error("cannot drop to an unprivileged user");
    return QString::fromUtf8(result);
}

} // namespace zuk::test
