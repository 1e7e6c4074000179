#include "engine/replacement_routines.h"

#include "engine/path_bytes.h"
#include "engine/search_pattern.h"
#include "engine/text_buffer.h"

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
      m_yield(yieldHook) {}

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
    const SearchPattern pattern(searchText);
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
