// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/byte_paths.h"

#include <QList>

#include <cstdio>
#include <fstream>
#include <ftw.h>
#include <iterator>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace zuk::test {

namespace {

void check(bool done, const char* what, const QByteArray& path) {
    if (!done)
        throw std::runtime_error(std::string("cannot ") + what + " " + path.toHex().data());
}

int removeOne(const char* path, const struct stat*, int, struct FTW*) {
    return ::remove(path);
}

} // namespace

void writeAt(const QByteArray& path, const QByteArray& bytes) {
    std::ofstream file(path.constData(), std::ios::binary | std::ios::trunc);
    file.write(bytes.constData(), bytes.size());
    check(file.good(), "write", path);
}

QByteArray readAt(const QByteArray& path) {
    std::ifstream file(path.constData(), std::ios::binary);
    check(file.good(), "read", path);
    const std::string bytes{std::istreambuf_iterator<char>(file), {}};
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

bool existsAt(const QByteArray& path) {
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

void makeDirectoryAt(const QByteArray& path) {
    check(::mkdir(path.constData(), 0755) == 0, "make", path);
}

void writeBelow(const QByteArray& root, const QByteArray& relative, const QByteArray& bytes) {
    QByteArray path = root;
    const QList<QByteArray> names = relative.split('/');
    for (qsizetype i = 0; i + 1 < names.size(); ++i) {
        path += '/' + names[i];
        if (!existsAt(path))
            makeDirectoryAt(path);
    }
    writeAt(path + '/' + names.last(), bytes);
}

void linkAt(const QByteArray& destination, const QByteArray& link) {
    check(::symlink(destination.constData(), link.constData()) == 0, "link", link);
}

void removeTreeAt(const QByteArray& path) {
    ::nftw(path.constData(), removeOne, 16, FTW_DEPTH | FTW_PHYS);
}

} // namespace zuk::test
