// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/error.h"

#include <cerrno>

namespace zuk {

QString describeError(int number) {
    switch (number) {
    case ErrorNumber::InvalidArgument:
        return QStringLiteral("Invalid procedure call or argument");
    case ErrorNumber::OutOfMemory:
        return QStringLiteral("Out of memory");
    case ErrorNumber::FileNotFound:
        return QStringLiteral("File not found");
    case ErrorNumber::DiskFull:
        return QStringLiteral("Disk full");
    case ErrorNumber::DeviceIo:
        return QStringLiteral("Device I/O error");
    case ErrorNumber::FileAlreadyExists:
        return QStringLiteral("File already exists");
    case ErrorNumber::PermissionDenied:
        return QStringLiteral("Permission denied");
    case ErrorNumber::PathFileAccess:
        return QStringLiteral("Path/File access error");
    case ErrorNumber::PathNotFound:
        return QStringLiteral("Path not found");
    default:
        return QStringLiteral("Application-defined or object-defined error");
    }
}

Error makeError(int number) {
    return Error{number, describeError(number)};
}

Error errorFromErrno(int errnoValue) {
    switch (errnoValue) {
    case ENOENT:
        return makeError(ErrorNumber::FileNotFound);
    case ENOTDIR:
        return makeError(ErrorNumber::PathNotFound);
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return makeError(ErrorNumber::PermissionDenied);
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return makeError(ErrorNumber::DiskFull);
    case EEXIST:
    case ENOTEMPTY:
        return makeError(ErrorNumber::FileAlreadyExists);
    case EIO:
        return makeError(ErrorNumber::DeviceIo);
    case ENAMETOOLONG:
        return pathFileAccessError(QStringLiteral("name too long"));
    case EISDIR:
        return notRegularFileError(true);
    case ELOOP:
        return pathFileAccessError(QStringLiteral("too many symbolic links"));
    default:
        return makeError(ErrorNumber::PathFileAccess);
    }
}

Error pathFileAccessError(const QString& reason) {
    return Error{ErrorNumber::PathFileAccess,
                 QStringLiteral("%1 (%2)").arg(describeError(ErrorNumber::PathFileAccess), reason)};
}

Error notTextError() {
    return pathFileAccessError(QStringLiteral("not text"));
}

Error notRegularFileError(bool isDirectory) {
    return pathFileAccessError(isDirectory ? QStringLiteral("is a directory")
                                           : QStringLiteral("not a regular file"));
}

Error changedOnDiskError() {
    return pathFileAccessError(QStringLiteral("the file changed on disk since it was read"));
}

} // namespace zuk
