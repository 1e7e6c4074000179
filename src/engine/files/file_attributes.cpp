// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/file_attributes.h"

#include <QtGlobal>

#include <cerrno>
#include <cstring>
#ifdef Q_OS_LINUX
#include <sys/xattr.h>
#endif

namespace zuk {

#ifdef Q_OS_LINUX
namespace {

bool unsupported(int error) {
    return error == EOPNOTSUPP || error == ENOSYS;
}

// The extended attributes a new file takes over: the user's own and the access ACL.
bool keepsAttribute(const char* name) {
    return std::strncmp(name, "user.", 5) == 0 || std::strcmp(name, "system.posix_acl_access") == 0;
}

} // namespace

Status copyAttributes(const QByteArray& from, int to) {
    QByteArray names;
    for (;;) {
        const ssize_t size = ::listxattr(from.constData(), nullptr, 0);
        if (size <= 0)
            return size == 0 || unsupported(errno) ? Status() : Status(errorFromErrno(errno));
        names.resize(size);
        const ssize_t got = ::listxattr(from.constData(), names.data(), size_t(size));
        if (got >= 0) {
            names.truncate(got);
            break;
        }
        if (errno != ERANGE) // else grown meanwhile: ask again
            return errorFromErrno(errno);
    }
    QByteArray value;
    for (qsizetype at = 0; at < names.size();
         at += qsizetype(std::strlen(names.constData() + at)) + 1) {
        const char* name = names.constData() + at;
        if (!keepsAttribute(name))
            continue;
        ssize_t size;
        do {
            size = ::getxattr(from.constData(), name, nullptr, 0);
            if (size < 0)
                break;
            value.resize(size);
            size = ::getxattr(from.constData(), name, value.data(), size_t(size));
        } while (size < 0 && errno == ERANGE);
        if (size < 0) {
            if (errno == ENODATA || unsupported(errno)) // removed meanwhile
                continue;
            return errorFromErrno(errno);
        }
        if (::fsetxattr(to, name, value.constData(), size_t(size), 0) != 0 && !unsupported(errno))
            return errorFromErrno(errno);
    }
    return {};
}
#else
Status copyAttributes(const QByteArray&, int) {
    return {};
}
#endif

} // namespace zuk
