#include "engine/replacement_routines.h"

#include "engine/search_pattern.h"
#include "engine/text_buffer.h"

namespace zuk {

QStringList BuildVariantList(const QString& StringToFind, const RunOptions& options) {
    QStringList variants{StringToFind};
    for (qsizetype i = 0; i < StringToFind.size(); ++i) {
        if (StringToFind[i] != u' ')
            continue;
        QString variant = StringToFind.left(i);
        if (options.keepSpaceLeft() == 1)
            variant += u' ';
        variant += QStringLiteral("\r\n");
        if (options.keepSpaceRight() == 1)
            variant += u' ';
        variant += QStringView(StringToFind).sliced(i + 1);
        variants.append(variant);
    }
    return variants;
}

ReplacementRoutines::ReplacementRoutines(RunOptions& options, RunState& state, RunWindow& window,
                                         Prompter& prompter, YieldHook& yieldHook)
    : m_options(options), m_state(state), m_window(window), m_prompter(prompter),
      m_yield(yieldHook) {}

qint32 ReplacementRoutines::fail(const Error& error, const QString& subject) {
    if (error.number == ErrorNumber::PathFileAccess) {
        m_prompter.inform(QStringLiteral("Not a valid file format! Quiting..."), subject);
        return -1;
    }
    m_prompter.inform(error.message(), subject);
    return 0;
}

std::optional<qint32> ReplacementRoutines::loadFailure(const QString& FileName) {
    const Status loaded = m_window.workingBuffer().load(FileName);
    if (loaded)
        m_window.workingBufferChanged();
    else
        return fail(loaded.error(), FileName);
    return std::nullopt;
}

qint32 ReplacementRoutines::replaceAll(const QString& StringToFind, const QString& ReplaceString) {
    TextBuffer& buffer = m_window.workingBuffer();
    const SearchPattern pattern(StringToFind);
    buffer.prepareFor(pattern);
    TextBuffer::Rewrite rewrite(buffer);
    std::optional<QString> replacement; // prepared at the first replacement
    qint32 found = 0;
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
                replacement = withLineBreaks(ReplaceString, buffer.lineBreak());
                if (!buffer.canHold(*replacement)) {
                    rewrite.finish();
                    m_window.workingBufferChanged();
                    return fail(Error{ErrorNumber::InvalidArgument,
                                      QStringLiteral("The replacement text holds characters that "
                                                     "this file's encoding cannot store")},
                                {});
                }
            }
            rewrite.replace(match.position, match.length, *replacement);
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

qint32 ReplacementRoutines::replaceVariants(const QString& StringToFind,
                                            const QString& ReplaceString) {
    // A later entry may find what an earlier one inserted and turn it back: a text that ends
    // as it began is not written. The copy shares the text's data.
    const TextBuffer before = m_window.workingBuffer();
    qint32 total = 0;
    for (const QString& variant : BuildVariantList(StringToFind, m_options))
        total += replaceAll(variant, ReplaceString);
    m_window.workingBuffer().settleModified(before);
    return total;
}

qint32 ReplacementRoutines::CleanFile(const QString& FileName, const QString& StringToFind,
                                      const QString& ReplaceString) {
    if (std::optional<qint32> failed = loadFailure(FileName))
        return *failed;
    return replaceAll(StringToFind, ReplaceString);
}

qint32 ReplacementRoutines::CleanText(const QString& StringToFind, const QString& ReplaceString) {
    return replaceAll(StringToFind, ReplaceString);
}

qint32 ReplacementRoutines::CleanFileCRLF(const QString& FileName, const QString& StringToFind,
                                          const QString& ReplaceString) {
    if (std::optional<qint32> failed = loadFailure(FileName))
        return *failed;
    return replaceVariants(StringToFind, ReplaceString);
}

qint32 ReplacementRoutines::CleanTextCRLF(const QString& StringToFind,
                                          const QString& ReplaceString) {
    return replaceVariants(StringToFind, ReplaceString);
}

} // namespace zuk
