// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/temp_files.h"

#include <QFile>
#include <QProcess>

#include <climits>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace zuk::test {

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file " + path.toStdString());
}

QByteArray readBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read test file " + path.toStdString());
    return f.readAll();
}

QString makePathTooLong(const QString& parent) {
    const QByteArray name(255, 'n');
    int fd = ::open(QFile::encodeName(parent).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    QString deep = parent;
    while (fd >= 0 && deep.size() < PATH_MAX) {
        const bool made = ::mkdirat(fd, name.constData(), 0755) == 0;
        const int next =
            made ? ::openat(fd, name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
        ::close(fd);
        fd = next;
        deep += u'/' + QString::fromLatin1(name);
    }
    if (fd < 0 || ::mkdirat(fd, "below", 0755) != 0)
        throw std::runtime_error("cannot make a path too long below " + parent.toStdString());
    ::close(fd);
    return deep;
}

void removeTree(const QString& path) {
    // rm walks a tree by its folders' descriptors, so no path it uses is too long.
    if (QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), path}) != 0)
        throw std::runtime_error("cannot remove " + path.toStdString());
}

} // namespace zuk::test
