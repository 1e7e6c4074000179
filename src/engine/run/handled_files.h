// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/files/file_identity.h"

#include <functional>
#include <unordered_set>
#include <utility>

namespace zuk {

// The files a run has handled, by device and inode: one edit per file, so a second name of one
// (a link beside its target) is passed over.
class HandledFiles {
public:
    // False when the file was handled already.
    bool note(const FileIdentity& identity) {
        return m_files.insert({identity.device, identity.inode}).second;
    }
    void clear() { m_files.clear(); }

private:
    struct Hash {
        size_t operator()(const std::pair<quint64, quint64>& id) const {
            return std::hash<quint64>()(id.first * 0x9E3779B97F4A7C15ULL ^ id.second);
        }
    };
    std::unordered_set<std::pair<quint64, quint64>, Hash> m_files;
};

} // namespace zuk
