// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_command.h"

#include "engine/files/atomic_file.h"
#include "engine/files/file_types.h"
#include "engine/files/path_bytes.h"
#include "engine/text/text_codec.h"

#include <QCommandLineParser>
#include <QDir>

#include <sys/stat.h>

namespace zuk {

namespace {

Error usageError(const QString& text) {
    return Error{ErrorNumber::InvalidArgument, text};
}

// The arguments come as paths, byte for byte; a text among them is read as UTF-8 instead.
QString textArgument(const QString& argument) {
    return QString::fromUtf8(encodePath(argument));
}
QStringList textArguments(const QStringList& arguments) {
    QStringList texts;
    for (const QString& argument : arguments)
        texts.append(textArgument(argument));
    return texts;
}

QString absolutePath(const QString& path, const QString& currentDirectory) {
    if (path.isEmpty() || QDir::isAbsolutePath(path))
        return path;
    QString joined = QDir::cleanPath(currentDirectory + u'/' + path);
    // A trailing separator says "this directory" to the run: keep it.
    if (path.endsWith(u'/') && !joined.endsWith(u'/'))
        joined += u'/';
    return joined;
}

// The command-line names of the file types, as "htm, html, ...".
QString fileTypeNames() {
    QStringList names;
    for (const FileType& type : kFileTypes)
        names.append(QString::fromLatin1(type.cliName));
    return names.join(QStringLiteral(", "));
}

QString countWord(std::size_t count) {
    static const char* const words[] = {"no",    "one",   "two",  "three", "four",   "five",  "six",
                                        "seven", "eight", "nine", "ten",   "eleven", "twelve"};
    return count < std::size(words) ? QString::fromLatin1(words[count]) : QString::number(count);
}

Status applyTypes(const QStringList& lists, RunOptionValues& values) {
    for (const QString& list : lists) {
        for (const QString& item : list.split(u',')) {
            const std::optional<std::size_t> type = fileTypeNamed(item.trimmed().toLower());
            if (!type)
                return usageError(QStringLiteral("unknown file type \"%1\" in --type (known: %2)")
                                      .arg(item.trimmed(), fileTypeNames()));
            values.fileTypes[*type] = Checked;
        }
    }
    return {};
}

// Options that only a run takes; a roll back refuses them rather than ignore them.
const char* const kRunOnlyOptions[] = {
    "search", "search-file", "replace",     "replace-file", "mode", "all-types", "type",
    "ext",    "case",        "search-only", "backup",       "crlf", "keep-left", "keep-right",
};

} // namespace

Result<CliCommand> parseCommandLine(const QStringList& arguments, const QString& currentDirectory) {
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    const auto valued = [](QStringList names, const char* valueName) {
        return QCommandLineOption(names, {}, QString::fromLatin1(valueName));
    };
    const auto flag = [](QStringList names) { return QCommandLineOption(names); };
    parser.addOptions({
        valued({"s", "search"}, "TEXT"),
        valued({"search-file"}, "FILE"),
        valued({"r", "replace"}, "TEXT"),
        valued({"replace-file"}, "FILE"),
        valued({"m", "mode"}, "MODE"),
        valued({"type"}, "LIST"),
        valued({"ext"}, "EXT"),
        valued({"rollback"}, "PATH"),
        valued({"batch"}, "FILE"),
        valued({"batch-test"}, "FILE"),
        valued({"delimiter"}, "TEXT"),
        valued({"threads"}, "N"),
        flag({"quoted"}),
        flag({"subdirs"}),
        flag({"all-types"}),
        flag({"case"}),
        flag({"search-only"}),
        flag({"backup"}),
        flag({"log"}),
        flag({"crlf"}),
        flag({"keep-left"}),
        flag({"keep-right"}),
        flag({"y", "yes"}),
        flag({"h", "help"}),
        flag({"version"}),
    });
    if (!parser.parse(arguments))
        return usageError(parser.errorText());

    CliCommand command;
    if (parser.isSet("help")) {
        command.kind = CliCommand::Kind::Help;
        return command;
    }
    if (parser.isSet("version")) {
        command.kind = CliCommand::Kind::Version;
        return command;
    }
    for (const char* name : {"search", "search-file", "replace", "replace-file", "mode", "ext",
                             "rollback", "batch", "batch-test", "delimiter", "threads"}) {
        if (parser.values(name).size() > 1)
            return usageError(QStringLiteral("--%1 given more than once").arg(name));
    }
    if (parser.isSet("search") && parser.isSet("search-file"))
        return usageError(QStringLiteral("--search and --search-file exclude each other"));
    if (parser.isSet("replace") && parser.isSet("replace-file"))
        return usageError(QStringLiteral("--replace and --replace-file exclude each other"));

    RunOptionValues& v = command.values;
    v.subDirectories = parser.isSet("subdirs") ? Checked : Unchecked;
    v.logChanges = parser.isSet("log") ? Checked : Unchecked;
    command.assumeYes = parser.isSet("yes");
    if (parser.isSet("threads")) {
        bool number = false;
        command.threads = textArgument(parser.value("threads")).toInt(&number);
        if (!number || command.threads < 1 || command.threads > kMaxThreads)
            return usageError(QStringLiteral("--threads takes a number from 1 to %1, not \"%2\"")
                                  .arg(kMaxThreads)
                                  .arg(textArgument(parser.value("threads"))));
    }
    const QStringList positional = parser.positionalArguments();

    const bool batch = parser.isSet("batch");
    const bool batchTest = parser.isSet("batch-test");
    if (batch || batchTest) {
        if (parser.isSet("delimiter"))
            command.batchFormat.delimiter = textArgument(parser.value("delimiter"));
        command.batchFormat.quoted = parser.isSet("quoted");
    } else {
        for (const char* name : {"delimiter", "quoted"}) {
            if (parser.isSet(name))
                return usageError(QStringLiteral("--%1 needs --batch or --batch-test").arg(name));
        }
    }
    if (batchTest) {
        // The test only reads the file: a run's options would do nothing, so say so.
        for (const QString& name : parser.optionNames()) {
            if (name != u"batch-test" && name != u"delimiter" && name != u"quoted")
                return usageError(
                    QStringLiteral("%1%2 can't be used with --batch-test")
                        .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name));
        }
        if (!positional.isEmpty())
            return usageError(QStringLiteral("--batch-test takes no other path"));
        command.kind = CliCommand::Kind::BatchTest;
        command.batchPath = absolutePath(parser.value("batch-test"), currentDirectory);
        return command;
    }
    if (batch) {
        for (const char* name : {"search", "search-file", "replace", "replace-file", "rollback"}) {
            if (parser.isSet(name))
                return usageError(QStringLiteral("--%1 can't be used with --batch: its entries "
                                                 "give the texts")
                                      .arg(name));
        }
        // Every other option is a setting of each entry's run, as the window's are.
        command.kind = CliCommand::Kind::Batch;
        command.batchPath = absolutePath(parser.value("batch"), currentDirectory);
    }

    if (parser.isSet("rollback")) {
        command.kind = CliCommand::Kind::RollBack;
        for (const char* name : kRunOnlyOptions) {
            if (parser.isSet(name))
                return usageError(QStringLiteral("--%1 can't be used with --rollback").arg(name));
        }
        if (!positional.isEmpty())
            return usageError(QStringLiteral("--rollback takes no other path"));
        v.path = absolutePath(parser.value("rollback"), currentDirectory);
        return command;
    }

    if (positional.size() > 1)
        return usageError(QStringLiteral("one path only, got %1").arg(positional.size()));
    const QString mode =
        parser.isSet("mode") ? textArgument(parser.value("mode")) : QStringLiteral("dir");
    if (mode == u"text") {
        v.optText = true;
    } else if (mode == u"file") {
        v.optFile = true;
    } else if (mode != u"dir") {
        return usageError(QStringLiteral("--mode takes dir, file or text, not \"%1\"").arg(mode));
    }
    const QString path = positional.value(0);
    v.path = v.optText ? path : absolutePath(path, currentDirectory);

    v.searchText = textArgument(parser.value("search"));
    v.replaceText = textArgument(parser.value("replace"));
    command.searchFile = parser.value("search-file");
    command.replaceFile = parser.value("replace-file");

    const bool typed = parser.isSet("type") || parser.isSet("ext");
    v.allTypes = (!typed || parser.isSet("all-types")) ? Checked : Unchecked;
    if (Status types = applyTypes(textArguments(parser.values("type")), v); !types)
        return types.error();
    if (parser.isSet("ext")) {
        v.customType = Checked;
        v.customExtension = textArgument(parser.value("ext"));
    }
    v.caseSensitive = parser.isSet("case") ? Checked : Unchecked;
    v.searchOnly = parser.isSet("search-only") ? Checked : Unchecked;
    v.makeBackups = parser.isSet("backup") ? Checked : Unchecked;
    v.doAllCrlf = parser.isSet("crlf") ? Checked : Unchecked;
    v.keepSpaceLeft = parser.isSet("keep-left") ? Checked : Unchecked;
    v.keepSpaceRight = parser.isSet("keep-right") ? Checked : Unchecked;
    if (v.doAllCrlf == Checked && v.makeBackups == Checked)
        command.warnings.append(QStringLiteral("--crlf makes no backups; --backup is ignored"));
    return command;
}

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

QString versionText() {
    return QStringLiteral("zuk-cli " ZUK_VERSION "\nLicence: " ZUK_LICENCE "\n");
}

QString usageText() {
    const QString text = QStringLiteral(
        "Usage: zuk-cli [OPTIONS] --search TEXT [--replace TEXT] [PATH]\n"
        "       zuk-cli [OPTIONS] --batch FILE [--delimiter TEXT] [--quoted] [PATH]\n"
        "       zuk-cli --batch-test FILE [--delimiter TEXT] [--quoted]\n"
        "       zuk-cli --rollback PATH [--subdirs] [--log] [--yes]\n"
        "\n"
        "Finds and replaces a literal text in text and web source files.\n"
        "\n"
        "  -s, --search TEXT       the text to find\n"
        "      --search-file FILE  the text to find, the file's whole content\n"
        "  -r, --replace TEXT      the replacement (default: empty)\n"
        "      --replace-file FILE the replacement, the file's whole content\n"
        "  -m, --mode dir|file|text\n"
        "                          dir (default): every matching file of the directory PATH\n"
        "                          (a file's path means its directory); file: the file PATH;\n"
        "                          text: standard input to standard output\n"
        "      --subdirs           also the sub-directories (and for --rollback)\n"
        "      --all-types         the %1 types %2\n"
        "      --type LIST         a comma list of those types\n"
        "      --ext .EXT          a custom extension as well\n"
        "                          (without --type and --ext, all %1 types are on)\n"
        "      --case              case-sensitive search\n"
        "      --search-only       count, change nothing\n"
        "      --backup            keep each changed file as NAME_BU\n"
        "      --log               write the activity log\n"
        "      --crlf              a blank of the search text also matches a line break\n"
        "      --keep-left         ... keeping the blank before the line break\n"
        "      --keep-right        ... keeping the blank after the line break\n"
        "  -y, --yes               don't ask for confirmation\n"
        "      --threads N         work on N threads, 1 for a single one (default: one per\n"
        "                          core, 2 to 4)\n"
        "      --rollback PATH     restore every NAME_BU backup in PATH's directory\n"
        "      --batch FILE        one run per entry of the batch file, in file order, each\n"
        "                          with the other options (text mode: each entry on the\n"
        "                          text the ones before it left)\n"
        "      --delimiter TEXT    what stands between an entry's two texts (default: |)\n"
        "      --quoted            the entries' texts stand in double quotes, line breaks\n"
        "                          and all\n"
        "      --batch-test FILE   list the entries as the batch window's Test shows them\n"
        "  -h, --help              this text\n"
        "      --version           the version and the licence\n"
        "\n"
        "The counters go to standard output (in text mode to standard error), messages to\n"
        "standard error. A file that fails (not text, changed on disk, not writable, out of\n"
        "memory) is named there and the run goes on; so is a folder that can't be read, which\n"
        "is passed over with what is below it. In text mode the input always goes out:\n"
        "unchanged when the run was refused or the text failed. Ctrl+C cancels: the file\n"
        "being worked on is finished with the finds made so far, and the run still closes\n"
        "its log.\n"
        "A batch asks once for all its entries. At its end Items Searched is the last run's,\n"
        "the other two counters are summed over the entries; Ctrl+C stops it after the entry\n"
        "in progress.\n"
        "Exit status: 0 done, 1 refused or declined, 2 bad usage, 3 error (a full disk, an\n"
        "I/O error, the log), 4 done but one or more files or folders failed (counted on the\n"
        "last line of standard error), 130 cancelled.\n");
    return text.arg(countWord(kFileTypes.size()), fileTypeNames());
}

} // namespace zuk
