// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_command.h"

#include "cli/cli_flags.h"

#include "engine/files/file_types.h"
#include "engine/files/path_bytes.h"
#include "engine/run/file_selection.h"

#include <QCommandLineParser>
#include <QDir>

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

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

Status applyTypes(const QStringList& lists, RunOptionValues& values) {
    for (const QString& list : lists) {
        for (const QString& item : list.split(u',')) {
            const std::optional<std::size_t> type = fileTypeNamed(item.trimmed().toLower());
            if (!type)
                return usageError(
                    QStringLiteral("unknown file type \"%1\" in --%2 (known: %3)")
                        .arg(item.trimmed(), flagName(fileTypeOption(0)), fileTypeNames()));
            values.fileTypes[*type] = Checked;
        }
    }
    return {};
}

QString dashed(const QString& name) {
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// Every flag, long and short, known to `parser`.
void addFlags(QCommandLineParser& parser) {
    for (const CliFlag* flag : cliFlags()) {
        QStringList names;
        if (flag->shortName)
            names.append(QString(QChar::fromLatin1(flag->shortName)));
        names.append(QString::fromLatin1(flag->name));
        parser.addOption(flag->valueName
                             ? QCommandLineOption(names, {}, QString::fromLatin1(flag->valueName))
                             : QCommandLineOption(names));
    }
}

// The first flag given that `refused` picks, as "--name"; empty when none is.
template <class Refused> QString firstSet(const QCommandLineParser& parser, Refused refused) {
    for (const CliFlag* flag : cliFlags()) {
        if (refused(*flag) && parser.isSet(QString::fromLatin1(flag->name)))
            return dashed(QString::fromLatin1(flag->name));
    }
    return {};
}

Status checkRepeats(const QCommandLineParser& parser) {
    for (const CliFlag* flag : cliFlags()) {
        if (flag->valueName && !flag->repeatable &&
            parser.values(QString::fromLatin1(flag->name)).size() > 1)
            return usageError(QStringLiteral("--%1 given more than once").arg(flag->name));
    }
    // A text comes from the command line or from a file, not both.
    for (const auto& [option, file] : {std::pair{OptionId::SearchText, CliAction::SearchFile},
                                       std::pair{OptionId::ReplaceText, CliAction::ReplaceFile}}) {
        if (parser.isSet(flagName(option)) && parser.isSet(flagName(file)))
            return usageError(QStringLiteral("--%1 and --%2 exclude each other")
                                  .arg(flagName(option), flagName(file)));
    }
    return {};
}

bool isBatchFormat(const CliFlag& flag) {
    for (const CliOnlyRow& row : cliOnlyTable()) {
        if (&row.flag == &flag)
            return row.batchFormat;
    }
    return false;
}

// The batch file's format, and what a batch or its test refuses.
Status parseBatch(const QCommandLineParser& parser, CliCommand& command) {
    const bool batch = parser.isSet(flagName(CliAction::Batch));
    const bool batchTest = parser.isSet(flagName(CliAction::BatchTest));
    if (!batch && !batchTest) {
        if (const QString set = firstSet(parser, isBatchFormat); !set.isEmpty())
            return usageError(
                QStringLiteral("%1 needs --%2 or --%3")
                    .arg(set, flagName(CliAction::Batch), flagName(CliAction::BatchTest)));
        return {};
    }
    if (parser.isSet(flagName(CliAction::Delimiter)))
        command.batchFormat.delimiter = textArgument(parser.value(flagName(CliAction::Delimiter)));
    command.batchFormat.quoted = parser.isSet(flagName(CliAction::Quoted));
    if (batchTest) {
        // The test only reads the file: a run's options would do nothing, so say so.
        for (const QString& name : parser.optionNames()) {
            const bool format = std::any_of(
                cliOnlyTable().begin(), cliOnlyTable().end(),
                [&](const CliOnlyRow& row) { return row.batchFormat && name == row.flag.name; });
            if (name != flagName(CliAction::BatchTest) && !format)
                return usageError(QStringLiteral("%1 can't be used with --%2")
                                      .arg(dashed(name), flagName(CliAction::BatchTest)));
        }
        command.kind = CliCommand::Kind::BatchTest;
        return {};
    }
    if (const QString set = firstSet(parser, [](const CliFlag& f) { return f.notWithBatch; });
        !set.isEmpty())
        return usageError(QStringLiteral("%1 can't be used with --%2: its entries give the texts")
                              .arg(set, flagName(CliAction::Batch)));
    // Every other option is a setting of each entry's run, as the window's are.
    command.kind = CliCommand::Kind::Batch;
    return {};
}

// What a run shows of its finds, and whether it writes at all.
Status parseReport(const QCommandLineParser& parser, CliCommand& command) {
    command.dryRun = parser.isSet(flagName(CliAction::DryRun));
    QStringList given;
    for (const auto& [action, kind] : {std::pair{CliAction::List, ReportKind::List},
                                       std::pair{CliAction::Diff, ReportKind::Diff},
                                       std::pair{CliAction::Json, ReportKind::Json}}) {
        if (parser.isSet(flagName(action))) {
            given.append(dashed(flagName(action)));
            command.report = kind;
        }
    }
    if (given.size() > 1)
        return usageError(
            QStringLiteral("%1 exclude each other").arg(given.join(QStringLiteral(" and "))));
    const QString colour = flagName(CliAction::Color);
    if (!parser.isSet(colour))
        return {};
    if (command.report != ReportKind::Diff)
        return usageError(QStringLiteral("--%1 needs --%2").arg(colour, flagName(CliAction::Diff)));
    const QString when = textArgument(parser.value(colour));
    if (when == QLatin1String("always"))
        command.colour = CliCommand::Colour::Always;
    else if (when == QLatin1String("never"))
        command.colour = CliCommand::Colour::Never;
    else if (when != QLatin1String("auto"))
        return usageError(
            QStringLiteral("--%1 takes auto, always or never, not \"%2\"").arg(colour, when));
    return {};
}

// --journal-limit, --no-journal, and --undo or --history, which take no run's options.
Status parseJournal(const QCommandLineParser& parser, CliCommand& command) {
    command.noJournal = parser.isSet(flagName(CliAction::NoJournal));
    if (const QString limit = flagName(CliAction::JournalLimit); parser.isSet(limit)) {
        const QString given = textArgument(parser.value(limit));
        const QStringList parts = given.split(u',');
        bool number = false;
        const int runs = parts.value(0).toInt(&number);
        const std::optional<qint64> size =
            parts.size() > 1 ? parseByteSize(parts.value(1)) : std::optional<qint64>(0);
        if (!number || runs < 1 || parts.size() > 2 || !size)
            return usageError(
                QStringLiteral("--%1 takes a number of runs from 1, and a size after a comma, not "
                               "\"%2\"")
                    .arg(limit, given));
        command.journalRuns = runs;
        if (parts.size() > 1)
            command.journalBytes = *size;
    }
    const QString undo = flagName(CliAction::Undo);
    const QString history = flagName(CliAction::History);
    if (!parser.isSet(undo) && !parser.isSet(history))
        return {};
    command.kind = parser.isSet(undo) ? CliCommand::Kind::Undo : CliCommand::Kind::History;
    const QString name = command.kind == CliCommand::Kind::Undo ? undo : history;
    const auto refused = [&](const CliFlag& f) {
        const QString flag = QString::fromLatin1(f.name);
        return flag != name && flag != flagName(CliAction::JournalLimit) &&
               (command.kind == CliCommand::Kind::History || flag != flagName(CliAction::Yes));
    };
    if (const QString set = firstSet(parser, refused); !set.isEmpty())
        return usageError(QStringLiteral("%1 can't be used with --%2").arg(set, name));
    const QStringList positional = parser.positionalArguments();
    if (command.kind == CliCommand::Kind::History && !positional.isEmpty())
        return usageError(QStringLiteral("--%1 takes no path").arg(history));
    if (positional.size() > 1)
        return usageError(QStringLiteral("--%1 takes one run's ID").arg(undo));
    if (!positional.isEmpty()) {
        bool number = false;
        command.undoId = positional.first().toLongLong(&number);
        if (!number || command.undoId < 1)
            return usageError(QStringLiteral("--%1 takes a run's ID (a number from --%2), not "
                                             "\"%3\"")
                                  .arg(undo, history, textArgument(positional.first())));
    }
    return {};
}

// The option buttons' choice: the one the flag names, or the one on by default.
Status parseChoice(const QCommandLineParser& parser, RunOptionValues& values) {
    const CliFlag& flag = runOption(OptionId::OptAll).flag;
    const QString name = QString::fromLatin1(flag.name);
    const bool set = parser.isSet(name);
    const QString given = textArgument(parser.value(name));
    bool chosen = false;
    for (const RunOptionRow& row : runOptionTable()) {
        if (row.kind != OptionKind::OptionButton)
            continue;
        values.*row.option = set ? given == QLatin1String(row.choice) : *row.fallback == '1';
        chosen = chosen || values.*row.option;
    }
    if (chosen)
        return {};
    QStringList choices = QString::fromLatin1(flag.valueName).split(u'|');
    const QString last = choices.takeLast();
    return usageError(QStringLiteral("--%1 takes %2 or %3, not \"%4\"")
                          .arg(name, choices.join(QStringLiteral(", ")), last, given));
}

// The run's subjects: one PATH, several, or the list --files-from names.
Status parsePaths(const QCommandLineParser& parser, const QString& currentDirectory,
                  CliCommand& command) {
    RunOptionValues& v = command.values;
    const QStringList positional = parser.positionalArguments();
    const QString filesFrom = flagName(CliAction::FilesFrom);
    const bool listed = parser.isSet(filesFrom);
    command.nulSeparated = parser.isSet(flagName(CliAction::NulSeparated));
    if (command.nulSeparated && !listed)
        return usageError(QStringLiteral("-%1 needs --%2").arg(QChar::fromLatin1('0'), filesFrom));
    if (v.optText && (positional.size() > 1 || listed))
        return usageError(listed ? QStringLiteral("--%1 can't be used in text mode").arg(filesFrom)
                                 : QStringLiteral("one path only, got %1").arg(positional.size()));
    if (listed) {
        if (!positional.isEmpty())
            return usageError(QStringLiteral("--%1 takes no other path").arg(filesFrom));
        const QString mode = QString::fromLatin1(runOption(OptionId::OptAll).flag.name);
        if (parser.isSet(mode) && !v.optFile)
            return usageError(QStringLiteral("--%1 names files: it can't be used with --%2 %3")
                                  .arg(filesFrom, mode, textArgument(parser.value(mode))));
        v.optAll = false;
        v.optFile = true;
        command.filesFrom = parser.value(filesFrom);
        if (command.filesFrom != QLatin1String("-"))
            command.filesFrom = absolutePath(command.filesFrom, currentDirectory);
        command.paths = QStringList();
        return {};
    }
    if (positional.size() > 1) {
        command.paths = QStringList();
        for (const QString& path : positional)
            command.paths->append(absolutePath(path, currentDirectory));
        return {};
    }
    const QString path = positional.value(0);
    v.path = v.optText ? path : absolutePath(path, currentDirectory);
    return {};
}

// The run's options: each switch on when given, each text as given.
Status parseRunOptions(const QCommandLineParser& parser, const QString& currentDirectory,
                       CliCommand& command) {
    RunOptionValues& v = command.values;
    if (Status choice = parseChoice(parser, v); !choice)
        return choice;
    if (Status paths = parsePaths(parser, currentDirectory, command); !paths)
        return paths;

    for (const RunOptionRow& row : runOptionTable()) {
        if (!row.flag.name || row.flag.forRollBack || row.fileType >= 0)
            continue;
        const QString name = QString::fromLatin1(row.flag.name);
        // A repeated flag's values are patterns, paths' bytes: one a line.
        if (row.kind == OptionKind::Text && row.flag.repeatable)
            v.*row.text = parser.values(name).join(u'\n');
        else if (row.kind == OptionKind::Text)
            v.*row.text = textArgument(parser.value(name));
        else if (row.kind == OptionKind::Check)
            v.*row.check = parser.isSet(name) ? Checked : Unchecked;
    }
    command.searchFile = parser.value(flagName(CliAction::SearchFile));
    command.replaceFile = parser.value(flagName(CliAction::ReplaceFile));

    // Without a type, an extension or (in a folder run) a --glob that names files, all types
    // are searched.
    const QString types = flagName(fileTypeOption(0));
    const QString extension = flagName(OptionId::CustomExtension);
    if (!parser.isSet(types) && !parser.isSet(extension) &&
        !(v.optAll && includeNamesFiles(ValueRunOptions(v))))
        v.allTypes = Checked;
    if (Status typed = applyTypes(textArguments(parser.values(types)), v); !typed)
        return typed.error();
    if (parser.isSet(extension))
        v.customType = Checked;
    if (!v.optAll && selectsFiles(ValueRunOptions(v)))
        command.warnings.append(QStringLiteral("--%1, --%2 and --%3 choose the files of a folder "
                                               "run; they are ignored here")
                                    .arg(flagName(OptionId::IncludePatterns),
                                         flagName(OptionId::ExcludePatterns),
                                         flagName(OptionId::UseGitIgnore)));
    if (v.doAllCrlf == Checked && v.makeBackups == Checked)
        command.warnings.append(
            QStringLiteral("--%1 makes no backups; --%2 is ignored")
                .arg(flagName(OptionId::DoAllCrlf), flagName(OptionId::MakeBackups)));
    return {};
}

} // namespace

Result<CliCommand> parseCommandLine(const QStringList& arguments, const QString& currentDirectory) {
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    addFlags(parser);
    if (!parser.parse(arguments))
        return usageError(parser.errorText());

    CliCommand command;
    if (parser.isSet(flagName(CliAction::Help))) {
        command.kind = CliCommand::Kind::Help;
        return command;
    }
    if (parser.isSet(flagName(CliAction::Version))) {
        command.kind = CliCommand::Kind::Version;
        return command;
    }
    if (Status repeats = checkRepeats(parser); !repeats)
        return repeats.error();

    // What a roll back takes as well as a run.
    RunOptionValues& v = command.values;
    for (const RunOptionRow& row : runOptionTable()) {
        if (row.flag.forRollBack && row.kind == OptionKind::Check)
            v.*row.check = parser.isSet(QString::fromLatin1(row.flag.name)) ? Checked : Unchecked;
    }
    command.assumeYes = parser.isSet(flagName(CliAction::Yes));
    if (const QString threads = flagName(CliAction::Threads); parser.isSet(threads)) {
        bool number = false;
        command.threads = textArgument(parser.value(threads)).toInt(&number);
        if (!number || command.threads < 1 || command.threads > kMaxThreads)
            return usageError(QStringLiteral("--%1 takes a number from 1 to %2, not \"%3\"")
                                  .arg(threads)
                                  .arg(kMaxThreads)
                                  .arg(textArgument(parser.value(threads))));
    }

    if (Status journal = parseJournal(parser, command); !journal)
        return journal.error();
    if (command.kind == CliCommand::Kind::Undo || command.kind == CliCommand::Kind::History)
        return command;
    if (Status report = parseReport(parser, command); !report)
        return report.error();
    if (Status batch = parseBatch(parser, command); !batch)
        return batch.error();
    const QString batchFile = flagName(
        command.kind == CliCommand::Kind::BatchTest ? CliAction::BatchTest : CliAction::Batch);
    command.batchPath = absolutePath(parser.value(batchFile), currentDirectory);
    const QString rollBack = flagName(CliAction::RollBack);
    if (command.kind == CliCommand::Kind::BatchTest || parser.isSet(rollBack)) {
        if (command.kind != CliCommand::Kind::BatchTest) {
            command.kind = CliCommand::Kind::RollBack;
            if (const QString set =
                    firstSet(parser, [](const CliFlag& f) { return !f.forRollBack; });
                !set.isEmpty())
                return usageError(QStringLiteral("%1 can't be used with --%2").arg(set, rollBack));
            v.path = absolutePath(parser.value(rollBack), currentDirectory);
        }
        if (!parser.positionalArguments().isEmpty())
            return usageError(QStringLiteral("--%1 takes no other path")
                                  .arg(command.kind == CliCommand::Kind::RollBack
                                           ? rollBack
                                           : flagName(CliAction::BatchTest)));
        return command;
    }
    if (Status run = parseRunOptions(parser, currentDirectory, command); !run)
        return run.error();
    return command;
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

} // namespace zuk
