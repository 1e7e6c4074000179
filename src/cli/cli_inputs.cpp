// SPDX-License-Identifier: GPL-3.0-or-later
// What a command reads before it runs: the texts given as files, and the list of files.
#include "cli/cli_command.h"

#include "engine/files/atomic_file.h"
#include "engine/files/file_list_reader.h"
#include "engine/files/path_bytes.h"
#include "engine/text/text_codec.h"

#include <QFile>

#include <cstdio>
#include <optional>

#include <sys/stat.h>

namespace zuk {

namespace {

Error usageError(const QString& text) {
    return Error{ErrorNumber::InvalidArgument, text};
}

} // namespace

Result<QString> readTextFile(const QString& path) {
    // A device or a pipe could be read for ever (/dev/zero) or block: only files are texts.
    if (const Result<FileIdentity> id = identifyFile(path); id && !S_ISREG(id.value().mode))
        return notRegularFileError(S_ISDIR(id.value().mode));
    const Result<LoadedBytes> read = readWholeFile(path);
    if (!read)
        return read.error();
    Result<DecodedText> decoded = decodeText(read.value().bytes);
    if (!decoded)
        return decoded.error();
    return std::move(decoded.value().text);
}

Status loadTexts(CliCommand& command) {
    const auto load = [](const QString& path, QString& text) -> Status {
        if (path.isEmpty())
            return {};
        Result<QString> read = readTextFile(path);
        if (!read)
            return usageError(
                QStringLiteral("can't read %1: %2").arg(displayPath(path), read.error().message()));
        text = std::move(read.value());
        return {};
    };
    if (Status s = load(command.searchFile, command.values.searchText); !s)
        return s;
    return load(command.replaceFile, command.values.replaceText);
}

Status loadFileList(CliCommand& command, const QString& currentDirectory) {
    if (command.filesFrom.isEmpty())
        return {};
    const bool standardInput = command.filesFrom == QLatin1String("-");
    const QString shown =
        standardInput ? QStringLiteral("standard input") : displayPath(command.filesFrom);
    QFile file(command.filesFrom);
    // A pipe is a list too (a shell's <(...)), so any file that opens is read.
    const bool opened =
        standardInput ? file.open(stdin, QIODevice::ReadOnly) : file.open(QIODevice::ReadOnly);
    if (!opened)
        return usageError(QStringLiteral("can't read %1: %2").arg(shown, file.errorString()));
    FileListReader reader(file, command.nulSeparated ? FileListReader::Separator::Nul
                                                     : FileListReader::Separator::Line);
    command.paths = QStringList();
    for (;;) {
        Result<std::optional<FileListReader::Name>> name = reader.next();
        if (!name)
            return usageError(
                QStringLiteral("can't read %1: %2").arg(shown, name.error().message()));
        if (!name.value())
            return {};
        // A name cut short could name another file: the whole list is refused.
        if (name.value()->tooLong)
            return usageError(
                QStringLiteral("%1 holds a name longer than %2 bytes%3")
                    .arg(shown)
                    .arg(FileListReader::kLongestName)
                    .arg(command.nulSeparated
                             ? QString()
                             : QStringLiteral(" (are its names ended by NULs? then add -0)")));
        command.paths->append(absolutePath(decodePath(name.value()->bytes), currentDirectory));
    }
}

} // namespace zuk
