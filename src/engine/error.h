// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <utility>
#include <variant>

namespace zuk {

// Failures carry the numbers users of the old tool know from its "ERROR: " messages.
namespace ErrorNumber {
inline constexpr int InvalidArgument = 5;
inline constexpr int OutOfMemory = 7;
inline constexpr int FileNotFound = 53;
inline constexpr int DiskFull = 61;
inline constexpr int DeviceIo = 57;
inline constexpr int FileAlreadyExists = 58;
inline constexpr int PermissionDenied = 70;
inline constexpr int PathFileAccess = 75;
inline constexpr int PathNotFound = 76;
} // namespace ErrorNumber

struct Error {
    int number = 0;
    QString description;

    // The text of the "ERROR: " message box.
    QString message() const { return QStringLiteral("ERROR: %1 %2").arg(number).arg(description); }
    bool operator==(const Error&) const = default;
};

// The standard description of an error number.
QString describeError(int number);
Error makeError(int number);
// Maps an errno value from a failed file operation to an error; where the number alone would
// not say what was wrong (75), the reason follows the description.
Error errorFromErrno(int errnoValue);

// 75 with what was wrong: "Path/File access error (REASON)".
Error pathFileAccessError(const QString& reason);
// What was read holds a NUL byte (or is UTF-16 of an odd length): it is not text.
Error notTextError();
// What should be a regular file is a directory, a device, a FIFO or a socket.
Error notRegularFileError(bool isDirectory);
// The file's size or time is no longer the one it had when it was read.
Error changedOnDiskError();

// A value or an error; functions that can fail return one instead of using out-parameters.
template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : m_data(std::move(value)) {}
    Result(Error error) : m_data(std::move(error)) {}

    bool ok() const { return m_data.index() == 0; }
    explicit operator bool() const { return ok(); }
    const T& value() const& { return std::get<0>(m_data); }
    T& value() & { return std::get<0>(m_data); }
    T&& value() && { return std::get<0>(std::move(m_data)); }
    const Error& error() const { return std::get<1>(m_data); }

private:
    std::variant<T, Error> m_data;
};

template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : m_error(std::move(error)), m_ok(false) {}

    bool ok() const { return m_ok; }
    explicit operator bool() const { return m_ok; }
    const Error& error() const { return m_error; }

private:
    Error m_error;
    bool m_ok = true;
};

using Status = Result<void>;

} // namespace zuk
