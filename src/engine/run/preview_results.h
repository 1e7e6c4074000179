// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/files/file_filter.h"
#include "engine/run/find_places.h"
#include "engine/run/keeping_sink.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <optional>
#include <vector>

namespace zuk {

// One find of a preview: where it lies, its line (shared with the other finds on it), where it
// shows there in characters, and whether it is to be applied. Nothing else is kept, so memory
// goes with the finds and their lines.
struct PreviewFind {
    Find find;
    qint64 line = 1;
    QString text;            // its line (lines, when a find spans a break), without the break
    qsizetype textStart = 0; // the find within `text`
    qsizetype textLength = 0;
    bool ticked = true;
};

// A line as it becomes with its ticked finds replaced, and where one of its finds shows there.
struct LineAfter {
    QString text;
    qsizetype start = 0;
    qsizetype length = 0;
};

// One subject with finds. Its finds are placed in the subject as read; those of a later
// line-break pass lie in the text the earlier ones left and can only be taken all together.
struct PreviewFile {
    QString path; // empty for the right-hand text
    ItemKind kind = ItemKind::DirectoryFile;
    std::optional<FileIdentity> identity;
    TextEncoding encoding = TextEncoding::Utf8;
    QString originalText; // the right-hand text as previewed
    qint64 findCount = 0;
    bool wholeFileOnly = false;
    QList<PreviewFind> finds; // every find; for a whole-file-only subject, without places
    qint64 tickedFinds = 0;   // of finds (a whole-file-only subject: all or none)

    enum class Ticks { None, Some, All };
    Ticks ticks() const;
};

// What a preview found, subject by subject in the run's order, with the user's choice of
// finds. Memory goes with the finds (a place and a line each), never with the files' sizes.
class PreviewResults {
public:
    // Keeps a subject the sink handed on when it has finds and was read whole; false when
    // there is nothing to keep. `wholeFileOnly`: the line-break-tolerant mode's passes.
    bool add(const KeptEdit& kept, bool wholeFileOnly);
    void clear();

    qsizetype size() const { return qsizetype(m_files.size()); }
    const PreviewFile& at(qsizetype file) const { return m_files[std::size_t(file)]; }
    const PreviewFile* find(const QString& path) const;
    qint64 findCount() const { return m_findCount; }
    qint64 tickedCount() const { return m_tickedCount; }

    // The line of a find as Apply would leave it.
    LineAfter lineAfter(qsizetype file, qsizetype find) const;

    void setTicked(qsizetype file, qsizetype find, bool ticked);
    void setFileTicked(qsizetype file, bool ticked);

    // Whether the find met as `index` in the subject's edit is to be applied.
    bool takes(const QString& path, qint64 index) const;

private:
    std::vector<PreviewFile> m_files;
    QHash<QString, qsizetype> m_byPath;
    qint64 m_findCount = 0;
    qint64 m_tickedCount = 0;
};

// The files of a preview with a ticked find, and the folders on the way to them: what a
// directory run applying the preview walks.
class PreviewSelection final : public FileFilter {
public:
    explicit PreviewSelection(const PreviewResults& results);
    bool takesFile(const QString& folder, const QString& name) const override;
    bool entersFolder(const QString& folder, const QString& name) const override;

private:
    QSet<QString> m_files;
    QSet<QString> m_folders;
};

// Applies a preview through the run's own commit: only ticked finds are replaced, and a
// subject whose content is no longer what the preview showed (another file, a changed size
// or time, other finds) is refused with its message and left as it is.
class PreviewApplySink final : public EditSink {
public:
    PreviewApplySink(const PreviewResults& results, EditSink& commit, RunWindow& window);

    EditRequest request() const override;
    SinkOutcome take(Edit& edit, ItemKind kind, RunCounters& counters) override;

private:
    Status sameAsPreviewed(const Edit& edit, const PreviewFile& file, ItemKind kind) const;

    const PreviewResults& m_results;
    EditSink& m_commit;
    RunWindow& m_window;
};

} // namespace zuk
