#include "support/byte_paths.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <ftw.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace zuk::test {

namespace {

[[noreturn]] void fail(const char* what, const QByteArray& path) {
    throw std::runtime_error(std::string("cannot ") + what + " test path " + path.toHex().data());
}

int removeOne(const char* path, const struct stat*, int, struct FTW*) {
    return ::remove(path);
}

} // namespace

void writeAt(const QByteArray& path, const QByteArray& bytes) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        fail("create", path);
    const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    if (::close(fd) != 0 || !written)
        fail("write", path);
}

QByteArray readAt(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        fail("open", path);
    QByteArray bytes;
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, got);
    ::close(fd);
    if (got < 0)
        fail("read", path);
    return bytes;
}

bool existsAt(const QByteArray& path) {
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

void makeDirectoryAt(const QByteArray& path) {
    if (::mkdir(path.constData(), 0755) != 0 && errno != EEXIST)
        fail("make", path);
}

void linkAt(const QByteArray& destination, const QByteArray& link) {
    if (::symlink(destination.constData(), link.constData()) != 0)
        fail("link", link);
}

void removeTreeAt(const QByteArray& path) {
    ::nftw(path.constData(), removeOne, 16, FTW_DEPTH | FTW_PHYS);
}

} // namespace zuk::test
