// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"
#include "engine/files/atomic_file.h"
#include "engine/match/search_pattern.h"
#include "engine/text/text_codec.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace zuk {

// The working buffer: the text a routine finds and replaces in, with what it needs to be
// written back byte for byte (encoding, mark, the file it came from).
//
// A UTF-8 or one-byte file is kept as its bytes for as long as the search texts are plain
// ASCII: finding, replacing and saving then work on the bytes, and the characters are decoded
// only when someone asks for the text (the window showing it). Positions and lengths of
// matches count bytes in that form and characters otherwise; they are only ever handed back.
class TextBuffer {
public:
    // Loads the whole file losslessly. On failure the buffer is left as it was.
    Status load(const QString& path);
    // Writes the text back in the loaded encoding, atomically. Refused when the file at path
    // is the loaded one and changed on disk since. `backup`, if given, is made right before
    // the new text replaces the file.
    // `written`, when given, gets the identity of the file written.
    Status save(const QString& path, WriteTracker* writes = nullptr, const BackupMaker& backup = {},
                std::optional<FileIdentity>* written = nullptr) const;
    // Fails when the file at path is the one loaded but no longer as it was read.
    Status checkUnchangedOnDisk(const QString& path) const;
    // The file loaded or streamed, as it was when read; nothing for a text set.
    const std::optional<FileIdentity>& loadedIdentity() const { return m_identity; }

    // A file that a routine streams: the buffer shows its beginning (bytes, decoded when asked
    // for), and the new text waits in `written` (opened by the stream, not yet committed) until
    // save commits it, or the failure of writing it, which save returns.
    void beginStream(const QString& path, const FileIdentity& identity, QByteArray beginning,
                     TextEncoding encoding, bool encodingSettled);
    void showBeginning(QByteArray beginning);
    void endStream(std::shared_ptr<AtomicFileWriter> written, const Status& failure);

    const QString& text() const;
    // Replaces the whole text (the right-hand box's own text); forgets any loaded file.
    void setText(QString text);
    void clear() { setText({}); }

    TextEncoding encoding() const;
    // True when a replacement changed the text since it was loaded or set: a file is written
    // only then.
    bool isModified() const { return m_modified; }
    // After several passes: a text that is again what `before` (a copy taken before them)
    // held counts as unchanged.
    void settleModified(const TextBuffer& before);
    // The form of the text's first line break, or the platform's own when it has none.
    QString lineBreak() const;
    // The forms of the line breaks in [position, position + length), in order.
    QStringList lineBreaksIn(qsizetype position, qsizetype length) const;
    // The unit at i (a byte while the buffer holds bytes); 0 outside the text.
    char16_t unitAt(qsizetype i) const;
    bool canHold(QStringView text) const;

    // Makes the buffer ready for a pass with this pattern: a pattern the byte form can't
    // search exactly turns the buffer into characters first. Call before the pass's first
    // find; positions don't carry over a change of form.
    void prepareFor(const SearchPattern& pattern);
    TextMatch find(const SearchPattern& pattern, qsizetype from, Qt::CaseSensitivity cs) const;
    bool holdsBytes() const { return m_holdsBytes; }

    // Builds the replaced text in one pass: the pieces between replacements are copied once,
    // so replacing everything is linear in the size of the text.
    class Rewrite {
    public:
        explicit Rewrite(TextBuffer& buffer);
        // Replaces [position, position + length) of the original text; calls come in order.
        void replace(qsizetype position, qsizetype length, QStringView replacement);
        // The unit the result holds just before a replacement at `position`; 0 at its start.
        char16_t unitBefore(qsizetype position) const;
        // Puts the result into the buffer (nothing to do when nothing was replaced).
        void finish();

    private:
        template <typename Out, typename View>
        void append(Out& out, View source, qsizetype position, qsizetype length, View replacement);

        TextBuffer& m_buffer;
        QString m_out;
        QByteArray m_outBytes;
        QString m_replacement; // the last replacement, and its bytes in the buffer's encoding
        QByteArray m_replacementBytes;
        qsizetype m_copied = 0;
        qsizetype m_size = 0; // of the output built so far
        bool m_started = false;
        bool m_differs = false; // some replacement differs from the text it replaced
    };

private:
    void decodeBytes() const;
    // True when some character of the text outside ASCII folds to an ASCII letter.
    bool hasAsciiFoldingCharacters() const;

    mutable QString m_text;
    QByteArray m_bytes; // the bytes after the mark, while the buffer holds bytes
    bool m_holdsBytes = false;
    mutable bool m_textDecoded = true; // m_text shows m_bytes (when holding bytes)
    mutable std::optional<bool> m_asciiFolding;
    // A file without a mark is UTF-8 or one byte per character; which one is settled only
    // when it matters (a replacement or a text outside ASCII), since ASCII is the same in both.
    mutable TextEncoding m_encoding = TextEncoding::Utf8;
    mutable bool m_encodingSettled = true;
    std::optional<FileIdentity> m_identity; // the file loaded, as read
    QString m_loadedPath;
    bool m_modified = false;
    mutable std::shared_ptr<AtomicFileWriter> m_streamed; // committed once, by save
    Status m_streamFailure;
};

} // namespace zuk
