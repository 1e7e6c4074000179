// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/error.h"
#include "engine/files/atomic_file.h"
#include "engine/text/text_codec.h"
#include "engine/text/working_text.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace zuk {

// A whole text in memory that a routine finds and replaces in, with what it needs to be
// written back byte for byte (encoding, mark, the file it came from).
//
// A UTF-8 or one-byte file is kept as its bytes for as long as the searches can be made in
// them: finding, replacing and saving then work on the bytes, and the characters are decoded
// only when someone asks for the text. Positions count bytes in that form and characters
// otherwise.
class TextBuffer {
public:
    // Loads the whole file losslessly. On failure the buffer is left as it was.
    Status load(const QString& path);
    // Writes the text back in the loaded encoding, atomically. Refused when the file at path
    // is the loaded one and changed on disk since. `backup`, if given, is made right before
    // the new text replaces the file.
    // `written`, when given, gets the identity of the file written.
    Status save(const QString& path, WriteTracker* writes = nullptr, const BackupMaker& backup = {},
                std::optional<FileIdentity>* written = nullptr, const WriteHooks& hooks = {}) const;
    // The file loaded, as it was when read; nothing for a text set.
    const std::optional<FileIdentity>& loadedIdentity() const { return m_identity; }

    const QString& text() const;
    // Replaces the whole text (the right-hand box's own text); forgets any loaded file.
    void setText(QString text);
    void clear() { setText({}); }
    // The text as a window shows it, sharing it.
    WorkingText shown() const;

    // Settles, where it isn't yet, whether a file without a mark is UTF-8 (reading it whole).
    TextEncoding encoding() const;
    // The encoding where it is settled, without settling it.
    std::optional<TextEncoding> settledEncoding() const {
        return m_encodingSettled ? std::optional<TextEncoding>(m_encoding) : std::nullopt;
    }
    // The bytes of the byte-order mark before the text in its file.
    qsizetype markLength() const;
    // True when a replacement changed the text since it was loaded or set: a file is written
    // only then.
    bool isModified() const { return m_modified; }
    // After several passes: a text that is again what `before` (a copy taken before them)
    // held counts as unchanged.
    void settleModified(const TextBuffer& before);
    // The form of the text's first line break, or the platform's own when it has none.
    QString lineBreak() const;
    bool canHold(QStringView text) const;

    // The text in the form it is held: bytes after the mark, or characters.
    bool holdsBytes() const { return m_holdsBytes; }
    QByteArrayView bytes() const { return m_bytes; }
    // Turns bytes into characters, for a search the byte form can't make exactly. Positions
    // don't carry over a change of form.
    void useCharacters();
    // True when some character of the text outside ASCII folds to an ASCII letter (the Kelvin
    // sign, the long s).
    bool hasAsciiFoldingCharacters() const;

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
    // The unit at i (a byte while the buffer holds bytes); 0 outside the text.
    char16_t unitAt(qsizetype i) const;

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
};

} // namespace zuk
