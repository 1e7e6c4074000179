// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/replacement_routines.h"

#include "engine/files/file_stream.h"
#include "engine/files/path_bytes.h"
#include "engine/match/search_pattern.h"
#include "engine/text/line_breaks.h"
#include "engine/text/text_buffer.h"

#include <memory>
#include <new>

namespace zuk {

QStringList BuildVariantList(const QString& searchText, const RunOptions& options) {
    QStringList variants{searchText};
    for (qsizetype i = 0; i < searchText.size(); ++i) {
        if (searchText[i] != u' ')
            continue;
        QString variant = searchText.left(i);
        if (options.keepSpaceLeft() == 1)
            variant += u' ';
        variant += QStringLiteral("\r\n");
        if (options.keepSpaceRight() == 1)
            variant += u' ';
        variant += QStringView(searchText).sliced(i + 1);
        variants.append(variant);
    }
    return variants;
}

namespace {

// A run searches file after file for the same text, so the last text compiled is kept, one
// per thread (the pool's threads search at once). Shared, so that a caller keeps its own
// even if a nested run compiles another text.
std::shared_ptr<const SearchPattern> compiled(const QString& searchText) {
    thread_local QString text;
    thread_local std::shared_ptr<const SearchPattern> pattern;
    if (!pattern || text != searchText) {
        pattern = std::make_shared<const SearchPattern>(searchText);
        text = searchText;
    }
    return pattern;
}

// The replacement for one match. Its line breaks take the forms of those the match covered (the
// k-th like the k-th, further ones like the last), or the text's first form when it covered
// none. An inserted break never merges with a neighbour into one CR LF, so the number of line
// breaks changes only by what the replacement adds or removes: an LF that would follow a CR,
// or a CR that would end the replacement just before an LF, is written as CR LF instead (a
// CR LF can stand next to anything).
QString formReplacement(const QList<QString>& pieces, const QStringList& covered,
                        const QString& firstForm, char16_t before, char16_t after) {
    QString formed = pieces.front();
    for (qsizetype k = 1; k < pieces.size(); ++k) {
        QString form = covered.isEmpty() ? firstForm : covered[qMin(k, covered.size()) - 1];
        const char16_t previous = formed.isEmpty() ? before : formed.back().unicode();
        const bool endsReplacement = k + 1 == pieces.size() && pieces[k].isEmpty();
        if ((form == u"\n" && previous == u'\r') ||
            (form == u"\r" && endsReplacement && after == u'\n'))
            form = QStringLiteral("\r\n");
        formed += form;
        formed += pieces[k];
    }
    return formed;
}

} // namespace

ReplacementRoutines::ReplacementRoutines(RunOptions& options, RunState& state, RunWindow& window,
                                         Prompter& prompter, YieldHook& yieldHook)
    : m_options(options), m_state(state), m_window(window), m_prompter(prompter),
      m_yield(yieldHook), m_streamBufferSize(FileStream::kDefaultBufferSize) {}

qint64 ReplacementRoutines::fail(const Error& error, const QString& subject) {
    m_failed = true;
    if (error.number == ErrorNumber::PathFileAccess) {
        // The run goes on after this file, so the message names the one passed over.
        m_prompter.inform(QStringLiteral("Not a valid file format! Quiting...\n") +
                              displayPath(subject),
                          subject);
        return -1;
    }
    m_prompter.inform(error.message(), subject);
    return 0;
}

std::optional<qint64> ReplacementRoutines::loadFailure(const QString& path) {
    const Status loaded = m_window.workingBuffer().load(path);
    if (loaded)
        m_window.workingBufferChanged();
    else
        return fail(loaded.error(), path);
    return std::nullopt;
}

qint64 ReplacementRoutines::replaceAll(const QString& searchText, const QString& replaceText) {
    TextBuffer& buffer = m_window.workingBuffer();
    const std::shared_ptr<const SearchPattern> kept = compiled(searchText);
    const SearchPattern& pattern = *kept;
    buffer.prepareFor(pattern);
    TextBuffer::Rewrite rewrite(buffer);
    const QList<QString> pieces = splitAtLineBreaks(replaceText);
    QString firstForm;
    std::optional<QString> replacement; // in the first form, prepared at the first replacement
    qint64 found = 0;
    qsizetype position = 0; // in the text as it was before this pass
    for (;;) {
        const Qt::CaseSensitivity cs =
            m_options.caseSensitive() == 1 ? Qt::CaseSensitive : Qt::CaseInsensitive;
        const TextMatch match = buffer.find(pattern, position, cs);
        if (!match.found())
            break;
        position = match.position;
        if (m_options.searchOnly() == 0) {
            if (!replacement) {
                firstForm = buffer.lineBreak();
                replacement = withLineBreaks(replaceText, firstForm);
                if (!buffer.canHold(*replacement)) {
                    rewrite.finish();
                    m_window.workingBufferChanged();
                    return fail(Error{ErrorNumber::InvalidArgument,
                                      QStringLiteral("The replacement text holds characters that "
                                                     "this file's encoding cannot store")},
                                m_subject);
                }
            }
            if (pieces.size() == 1) {
                rewrite.replace(match.position, match.length, *replacement);
            } else {
                const QStringList covered = pattern.hasLineBreaks()
                                                ? buffer.lineBreaksIn(match.position, match.length)
                                                : QStringList();
                rewrite.replace(match.position, match.length,
                                formReplacement(pieces, covered, firstForm,
                                                rewrite.unitBefore(match.position),
                                                buffer.unitAt(match.position + match.length)));
            }
            position = match.position + match.length;
        } else {
            position += 1;
        }
        ++found;
        m_yield.yield();
        if (m_state.cancelFlag)
            break;
    }
    rewrite.finish();
    if (found > 0)
        m_window.workingBufferChanged();
    return found;
}

qint64 ReplacementRoutines::replaceVariants(const QString& searchText, const QString& replaceText) {
    // A later entry may find what an earlier one inserted and turn it back: a text that ends
    // as it began is not written. The copy shares the text's data.
    const TextBuffer before = m_window.workingBuffer();
    qint64 total = 0;
    for (const QString& variant : BuildVariantList(searchText, m_options))
        total += replaceAll(variant, replaceText);
    m_window.workingBuffer().settleModified(before);
    return total;
}

std::optional<qint64> ReplacementRoutines::streamFile(const QString& path,
                                                      const QString& searchText,
                                                      const QString& replaceText) {
    const std::shared_ptr<const SearchPattern> kept = compiled(searchText);
    const SearchPattern& pattern = *kept;
    // A search text outside ASCII is searched in the characters, in the whole text.
    if (!pattern.isAscii() || pattern.isEmpty())
        return std::nullopt;
    const qsizetype longest = pattern.longestMatch();
    Result<std::unique_ptr<FileStream>> opened =
        FileStream::open(path, std::max(m_streamBufferSize, 4 * (longest + 2)));
    if (!opened)
        return fail(opened.error(), path);
    FileStream& in = *opened.value();
    // A link's backup keeps the link, which decides the name written: left to the whole-text
    // form, like UTF-16.
    if (in.isSymbolicLink() || in.hasUtf16Mark())
        return std::nullopt;

    // Without a mark (or with one that invalid UTF-8 makes one-byte text), the encoding is
    // settled by a first pass when it matters before the first find: for a replacement outside
    // ASCII, or a search text that the Kelvin sign or the long s may fold to.
    TextEncoding encoding = in.hasUtf8Mark() ? TextEncoding::Utf8Bom : TextEncoding::Utf8;
    bool settled = false;
    if (!isAsciiText(replaceText) || pattern.foldsFromOutsideAscii()) {
        const Result<FileStream::Survey> survey = in.survey();
        if (!survey)
            return fail(survey.error(), path);
        if (!survey.value().validUtf8)
            encoding = TextEncoding::Windows1252;
        settled = true;
        if (pattern.foldsFromOutsideAscii() && survey.value().asciiFolding)
            return std::nullopt;
    }

    TextBuffer& buffer = m_window.workingBuffer();
    const qint64 body = in.bodyStart();
    buffer.beginStream(path, in.identity(), in.beginning(), encoding, settled);
    m_window.workingBufferChanged();

    const QList<QString> pieces = splitAtLineBreaks(replaceText);
    QString firstForm;
    std::optional<QString> replacement;
    QString lastFormed;
    QByteArray replacementBytes;
    qint64 found = 0;
    qint64 position = body;
    Status failure;
    for (;;) {
        const QByteArrayView window = in.window();
        const qint64 start = in.windowStart();
        const Qt::CaseSensitivity cs =
            m_options.caseSensitive() == 1 ? Qt::CaseSensitive : Qt::CaseInsensitive;
        const TextMatch match = pattern.findInBytes(window, qsizetype(position - start), cs);
        // A match is taken once the byte after it is in the buffer too (a CR may end a CR LF).
        if (!match.found() || (!in.atEnd() && match.position + longest + 1 > window.size())) {
            if (in.atEnd())
                break;
            position = match.found() ? start + match.position
                                     : std::max(position, start + window.size() - longest - 1);
            if (failure = in.advance(std::max(body, position - 1)); !failure)
                break;
            continue;
        }
        const qint64 at = start + match.position;
        if (m_options.searchOnly() == 0) {
            if (!replacement) {
                if (pieces.size() > 1) {
                    const Result<QByteArray> form = in.firstLineBreak();
                    if (!form) {
                        failure = form.error();
                        break;
                    }
                    firstForm = form.value().isEmpty() ? platformLineBreak()
                                                       : QString::fromLatin1(form.value());
                }
                replacement = withLineBreaks(replaceText, firstForm);
                if (!isAsciiText(*replacement) && !canEncode(*replacement, encoding))
                    return fail(Error{ErrorNumber::InvalidArgument,
                                      QStringLiteral("The replacement text holds characters that "
                                                     "this file's encoding cannot store")},
                                m_subject);
            }
            QString formed = *replacement;
            if (pieces.size() > 1) {
                const QStringList covered = pattern.hasLineBreaks()
                                                ? lineBreaksOf(window, match.position, match.length)
                                                : QStringList();
                const qsizetype after = match.position + match.length;
                formed = formReplacement(pieces, covered, firstForm, in.unitBefore(at),
                                         after < window.size() ? uchar(window[after]) : 0);
            }
            if (replacementBytes.isNull() || formed != lastFormed) {
                lastFormed = formed;
                replacementBytes =
                    isAsciiText(formed) ? formed.toLatin1() : encodeText(formed, encoding);
            }
            in.replace(at, match.length, replacementBytes);
            position = at + match.length;
        } else {
            position = at + 1;
        }
        ++found;
        m_yield.yield();
        if (m_state.cancelFlag)
            break;
    }
    if (failure)
        failure = in.finish();
    if (!failure)
        return fail(failure.error(), path);
    if (in.differs()) {
        const QByteArray& shown = in.outputBeginning();
        buffer.showBeginning(shown.sliced(std::min<qsizetype>(body, shown.size())));
        buffer.endStream(std::shared_ptr<AtomicFileWriter>(in.takeOutput()), in.outputStatus());
        m_window.workingBufferChanged();
    }
    return found;
}

template <typename Routine>
qint64 ReplacementRoutines::guarded(const QString& subject, Routine routine) {
    m_failed = false;
    m_subject = subject;
    try {
        return routine();
    } catch (const std::bad_alloc&) {
        // The text under way is dropped with the unwinding; the buffer isn't saved after a
        // failure, so the file stays as it was.
        return fail(makeError(ErrorNumber::OutOfMemory), subject);
    }
}

qint64 ReplacementRoutines::CleanFile(const QString& path, const QString& searchText,
                                      const QString& replaceText) {
    return guarded(path, [&] {
        if (std::optional<qint64> streamed = streamFile(path, searchText, replaceText))
            return *streamed;
        if (std::optional<qint64> failed = loadFailure(path))
            return *failed;
        return replaceAll(searchText, replaceText);
    });
}

qint64 ReplacementRoutines::CleanText(const QString& searchText, const QString& replaceText) {
    return guarded({}, [&] { return replaceAll(searchText, replaceText); });
}

qint64 ReplacementRoutines::CleanFileCRLF(const QString& path, const QString& searchText,
                                          const QString& replaceText) {
    return guarded(path, [&] {
        if (std::optional<qint64> failed = loadFailure(path))
            return *failed;
        return replaceVariants(searchText, replaceText);
    });
}

qint64 ReplacementRoutines::CleanTextCRLF(const QString& searchText, const QString& replaceText) {
    return guarded({}, [&] { return replaceVariants(searchText, replaceText); });
}

} // namespace zuk
