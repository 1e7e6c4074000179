// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/replacement_routines.h"

#include "engine/files/file_stream.h"
#include "engine/files/path_bytes.h"
#include "engine/match/literal_matcher.h"
#include "engine/match/regex_matcher.h"
#include "engine/match/wrapping_matchers.h"
#include "engine/run/entry_filter.h"
#include "engine/run/replace_loop.h"
#include "engine/run/streamed_edit.h"
#include "engine/run/whole_text_edit.h"

#include <QFileInfo>

#include <new>

namespace zuk {

namespace {

// The largest file searched whole by a matcher without a bound on its matches.
constexpr qint64 kWholeTextLimit = qint64(1) << 30;
// The largest file a batch holds whole to apply all its entries at once; a bigger one streams
// through each entry in turn.
constexpr qint64 kEntriesWholeLimit = qint64(64) << 20;

// The message of a subject's failure; the run goes on after it, so it names the subject.
Message failureMessage(const QString& path, const Error& error) {
    return error.number == ErrorNumber::PathFileAccess
               ? Message::information(QStringLiteral("Not a valid file format! Quiting...\n") +
                                          displayPath(path),
                                      path)
               : Message::information(error.message(), path);
}

} // namespace

QStringList BuildVariantList(const QString& searchText, const RunOptions& options) {
    QStringList variants{searchText};
    for (qsizetype i = 0; i < searchText.size(); ++i) {
        if (searchText[i] != u' ')
            continue;
        QString variant = searchText.left(i);
        if (options.keepSpaceLeft() == Checked)
            variant += u' ';
        variant += QStringLiteral("\r\n");
        if (options.keepSpaceRight() == Checked)
            variant += u' ';
        variant += QStringView(searchText).sliced(i + 1);
        variants.append(variant);
    }
    return variants;
}

ReplacementRoutines::ReplacementRoutines(const RunOptions& options, const RunState& state,
                                         YieldHook& yieldHook)
    : m_options(options), m_state(state), m_yield(yieldHook),
      m_streamBufferSize(FileStream::kDefaultBufferSize) {}

Result<MatcherPasses> ReplacementRoutines::passesFor(const QStringList& searchTexts,
                                                     const QString& replaceText) const {
    MatcherPasses passes;
    const bool preserveCase = m_options.preserveCase();
    const auto add = [&](std::unique_ptr<const Matcher> matcher) {
        if (preserveCase)
            matcher = std::make_unique<CasePreservingMatcher>(std::move(matcher));
        passes.push_back(std::move(matcher));
    };
    if (m_options.regex()) {
        // An expression says for itself where line breaks may stand: no variants.
        Result<std::unique_ptr<RegexMatcher>> regex =
            RegexMatcher::make(searchTexts.front(), replaceText, m_options.wholeWords());
        if (!regex)
            return regex.error();
        add(std::move(regex.value()));
        return passes;
    }
    for (const QString& searchText : searchTexts) {
        std::unique_ptr<const Matcher> literal =
            std::make_unique<LiteralMatcher>(searchText, replaceText);
        if (m_options.wholeWords())
            literal = std::make_unique<WholeWordMatcher>(std::move(literal), searchText);
        add(std::move(literal));
    }
    return passes;
}

Edit ReplacementRoutines::refused(const QString& path, const Error& error) {
    Edit edit;
    edit.path = path;
    fail(edit, error);
    return edit;
}

Edit ReplacementRoutines::CleanFile(const QString& path, const QString& searchText,
                                    const QString& replaceText) {
    Result<MatcherPasses> passes = passesFor({searchText}, replaceText);
    if (!passes)
        return refused(path, passes.error());
    return editFile(path, passes.value());
}

Edit ReplacementRoutines::CleanText(const QString& text, const QString& searchText,
                                    const QString& replaceText) {
    Result<MatcherPasses> passes = passesFor({searchText}, replaceText);
    if (!passes)
        return refused(QString(), passes.error());
    return editText(text, passes.value());
}

Edit ReplacementRoutines::CleanFileCRLF(const QString& path, const QString& searchText,
                                        const QString& replaceText) {
    Result<MatcherPasses> passes = passesFor(BuildVariantList(searchText, m_options), replaceText);
    if (!passes)
        return refused(path, passes.error());
    return editFile(path, passes.value());
}

Edit ReplacementRoutines::CleanTextCRLF(const QString& text, const QString& searchText,
                                        const QString& replaceText) {
    Result<MatcherPasses> passes = passesFor(BuildVariantList(searchText, m_options), replaceText);
    if (!passes)
        return refused(QString(), passes.error());
    return editText(text, passes.value());
}

template <typename Routine> Edit ReplacementRoutines::guarded(Edit edit, Routine routine) {
    try {
        routine(edit);
    } catch (const std::bad_alloc&) {
        // The new content goes with the unwinding, so the file stays as it was; the finds made
        // before are not reported.
        edit.changed = false;
        edit.text.clear();
        edit.streamed.reset();
        edit.entries.clear();
        edit.result = {};
        fail(edit, makeError(ErrorNumber::OutOfMemory));
    }
    return edit;
}

Edit ReplacementRoutines::editFile(const QString& path, const MatcherPasses& passes) {
    Edit edit;
    edit.path = path;
    return guarded(std::move(edit), [&](Edit& edit) {
        ReplaceLoop loop(m_options, m_state, m_yield, m_request, path);
        if (passes.size() == 1 && streamFile(edit, *passes.front(), loop) == Streamed::Done)
            return;
        if (!passes.front()->longestMatch() && QFileInfo(path).size() > kWholeTextLimit) {
            fail(edit, Error{ErrorNumber::InvalidArgument,
                             QStringLiteral("This file is larger than 1 GiB, the most a regular "
                                            "expression searches")});
            return;
        }
        TextBuffer buffer;
        if (loadFile(edit, buffer))
            replacePasses(edit, buffer, passes, loop);
    });
}

Edit ReplacementRoutines::editText(const QString& text, const MatcherPasses& passes) {
    return guarded(Edit(), [&](Edit& edit) {
        ReplaceLoop loop(m_options, m_state, m_yield, m_request);
        TextBuffer buffer;
        buffer.setText(text);
        replacePasses(edit, buffer, passes, loop);
    });
}

ReplacementRoutines::Streamed ReplacementRoutines::streamFile(Edit& edit, const Matcher& matcher,
                                                              ReplaceLoop& loop) {
    const std::optional<qsizetype> longest = matcher.longestMatch();
    const Matcher::ByteForm form = matcher.byteForm();
    if ((!longest && !matcher.matchesWithinLines()) || form == Matcher::ByteForm::Never ||
        m_request.inMemory)
        return Streamed::NeedsWholeText;
    Result<std::unique_ptr<FileStream>> opened = FileStream::open(
        edit.path, longest ? std::max(m_streamBufferSize, 4 * (*longest + 2)) : m_streamBufferSize);
    if (!opened) {
        openFailed(edit, opened.error());
        return Streamed::Done;
    }
    FileStream& in = *opened.value();
    if (!admit(edit, in.identity()))
        return Streamed::Done;
    // A link's backup keeps the link, which decides the name written: left to the whole-text
    // form, like UTF-16.
    if (in.isSymbolicLink() || in.hasUtf16Mark())
        return Streamed::NeedsWholeText;

    // Without a mark (or with one that invalid UTF-8 makes one-byte text), whether the file is
    // UTF-8 is settled by reading it first when a search without case could meet the Kelvin
    // sign or the long s, and otherwise at the first find that depends on it (see StreamedEdit)
    // or the first replacement outside ASCII.
    TextEncoding encoding = in.hasUtf8Mark() ? TextEncoding::Utf8Bom : TextEncoding::Utf8;
    bool settled = false;
    if (form == Matcher::ByteForm::UnlessAsciiFolding) {
        const Result<FileStream::Survey> survey = in.survey(true);
        if (!survey) {
            fail(edit, survey.error());
            return Streamed::Done;
        }
        if (!survey.value().validUtf8)
            encoding = TextEncoding::Windows1252;
        settled = true;
        if (survey.value().asciiFolding)
            return Streamed::NeedsWholeText;
    }
    if (m_observe)
        observe(WorkingText::beginning(in.beginning(), encoding, settled));

    std::shared_ptr<ContentHasher> hasher;
    if (m_request.hashWritten) {
        hasher = std::make_shared<ContentHasher>();
        in.setWatch([hasher](const char* data, qsizetype size) { hasher->add(data, size); });
    }
    in.setNewFilePlace(m_request.place);
    StreamedEdit buffer(in, longest, encoding, settled, m_longestLine);
    const Result<qint64> found = loop.run(buffer, matcher, edit.finds);
    const Status finished = found ? in.finish() : Status(found.error());
    if (!finished) {
        fail(edit, finished.error());
        return Streamed::Done;
    }
    edit.result = RoutineResult::found(found.value());
    edit.encoding = buffer.encoding();
    edit.encodingKnown = buffer.encodingSettled();
    if (in.differs()) {
        if (m_observe) {
            const QByteArray& shown = in.outputBeginning();
            observe(WorkingText::beginning(
                shown.sliced(std::min<qsizetype>(in.bodyStart(), shown.size())), buffer.encoding(),
                buffer.encodingSettled()));
        }
        edit.changed = true;
        edit.streamWrite = in.outputStatus();
        edit.streamed = in.takeOutput();
        edit.streamedHash = hasher;
    }
    return Streamed::Done;
}

bool ReplacementRoutines::loadFile(Edit& edit, TextBuffer& buffer) {
    if (const Status loaded = buffer.load(edit.path); !loaded) {
        openFailed(edit, loaded.error());
        return false;
    }
    // A file the stream opened first was admitted then.
    if (!edit.identity && !admit(edit, *buffer.loadedIdentity()))
        return false;
    observe(buffer.shown());
    return true;
}

void ReplacementRoutines::replacePasses(Edit& edit, TextBuffer& buffer, const MatcherPasses& passes,
                                        ReplaceLoop& loop) {
    // A later pass may find what an earlier one inserted and turn it back: a text that ends as
    // it began is not written. The copy shares the text's data.
    const TextBuffer before = passes.size() > 1 ? buffer : TextBuffer();
    for (const std::unique_ptr<const Matcher>& matcher : passes) {
        if (matcher != passes.front())
            edit.passStarts.append(edit.finds.size());
        WholeTextEdit whole(buffer, *matcher, !edit.path.isEmpty());
        const Result<qint64> pass = loop.run(whole, *matcher, edit.finds);
        // What was replaced before a failure stays in the buffer, which isn't saved then.
        whole.finish();
        if (pass)
            edit.result.add(RoutineResult::found(pass.value()));
        else
            fail(edit, pass.error());
        if (!pass || pass.value() > 0)
            observe(buffer.shown());
    }
    if (passes.size() > 1)
        buffer.settleModified(before);
    keepChanged(edit, buffer);
}

void ReplacementRoutines::keepChanged(Edit& edit, TextBuffer& buffer) {
    if (const std::optional<TextEncoding> encoding = buffer.settledEncoding()) {
        edit.encoding = *encoding;
    } else {
        edit.encodingKnown = false;
    }
    edit.changed = buffer.isModified();
    if (edit.changed)
        edit.text = std::move(buffer);
}

EntryPasses ReplacementRoutines::entryPasses(const RunEntries& entries, bool lineBreaks) const {
    EntryPasses passes;
    passes.reserve(entries.size());
    for (const RunEntry& entry : entries) {
        if (entry.search.isEmpty())
            passes.emplace_back(makeError(ErrorNumber::InvalidArgument));
        else
            passes.push_back(passesFor(lineBreaks ? BuildVariantList(entry.search, m_options)
                                                  : QStringList{entry.search},
                                       entry.replace));
    }
    return passes;
}

Edit ReplacementRoutines::editFileEntries(const QString& path, const RunEntries& entries,
                                          const EntryPasses& passes,
                                          const EntryPrefilter& prefilter) {
    Edit edit;
    edit.path = path;
    return guarded(std::move(edit), [&](Edit& edit) {
        if (QFileInfo(path).size() > kEntriesWholeLimit) {
            edit.entryByEntry = true;
            return;
        }
        TextBuffer buffer;
        if (!loadFile(edit, buffer))
            return;
        ReplaceLoop loop(m_options, m_state, m_yield, m_request, path);
        // The entries' passes may end where the file began: such a file is not written.
        const TextBuffer original = buffer;
        // The filter is asked once, on the text as read, and told what each replacement may
        // have made present: the text is never read again for it.
        std::vector<bool> present =
            prefilter ? prefilter->present(buffer) : std::vector<bool>(entries.size(), true);
        edit.entries.resize(entries.size());
        for (size_t i = 0; i < entries.size(); ++i) {
            Edit::EntryOutcome& outcome = edit.entries[i];
            if (!passes[i] || !present[i])
                continue;
            // An entry without finds is not saved, even when a pass that failed had replaced
            // some: the next one sees the text as this one found it.
            const TextBuffer before = buffer;
            for (const std::unique_ptr<const Matcher>& matcher : passes[i].value()) {
                WholeTextEdit whole(buffer, *matcher, true);
                const Result<qint64> pass = loop.run(whole, *matcher, edit.finds);
                whole.finish();
                if (pass) {
                    outcome.result.add(RoutineResult::found(pass.value()));
                } else {
                    outcome.result.add(RoutineResult::failed(pass.error()));
                    outcome.messages.append(failureMessage(path, pass.error()));
                }
            }
            if (outcome.result.finds() == 0)
                buffer = before;
            else if (prefilter)
                prefilter->replaced(qsizetype(i), present);
        }
        buffer.settleModified(original);
        keepChanged(edit, buffer);
    });
}

bool ReplacementRoutines::admit(Edit& edit, const FileIdentity& identity) {
    edit.identity = identity;
    edit.passedOver = m_admit && !m_admit(identity);
    return !edit.passedOver;
}

void ReplacementRoutines::openFailed(Edit& edit, const Error& error) {
    // Even a file that can't be read is told apart from a second name of a file the run had.
    if (!edit.identity) {
        if (const Result<FileIdentity> identity = identifyFile(edit.path);
            identity && !admit(edit, identity.value()))
            return;
    }
    fail(edit, error);
}

void ReplacementRoutines::fail(Edit& edit, const Error& error) {
    edit.result.add(RoutineResult::failed(error));
    edit.messages.append(failureMessage(edit.path, error));
}

void ReplacementRoutines::observe(const WorkingText& text) const {
    if (m_observe)
        m_observe(text);
}

} // namespace zuk
