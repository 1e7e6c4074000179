// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/files/file_collection.h"

#include <QStringList>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace zuk {

// The DirectoryList of CollectDirectories, walked on a thread of its own while the caller
// works through the directories it has reached, in the list's order. The caller lists each
// directory's files itself (ListDirectoryFiles), which tells it one that can't be read.
class WalkAhead {
public:
    WalkAhead(const QString& startDirectory, CheckValue subDirectories, int threads,
              const FileFilter* filter);
    // Ends the walk and waits for its thread.
    ~WalkAhead();
    WalkAhead(const WalkAhead&) = delete;
    WalkAhead& operator=(const WalkAhead&) = delete;

    enum class Reached {
        Directory, // directory `index` is there
        End,       // the list ends before it
        TooMany,   // the tree holds more than kMaxDirectories: the list stops being given
    };
    // Where the walk stands for directory `index`, waiting up to `wait` for it to get there;
    // nothing when it hasn't yet. Throws what the walk threw (out of memory).
    std::optional<Reached> reach(qsizetype index, std::chrono::milliseconds wait);
    // Directory `index`, once reached.
    QString directory(qsizetype index) const;

private:
    void walk(const QString& startDirectory, CheckValue subDirectories, int threads,
              const FileFilter* filter);

    mutable std::mutex m_mutex;
    std::condition_variable m_grown;
    QStringList m_directories;
    bool m_done = false;
    bool m_tooMany = false;
    std::exception_ptr m_thrown;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// The directories a directory run works through: walked whole before it starts, or walking
// still, ahead of it.
class WalkedDirectories {
public:
    using Reached = WalkAhead::Reached;

    WalkedDirectories() = default;
    explicit WalkedDirectories(DirectoryList walked) : m_list(std::move(walked)) {}
    explicit WalkedDirectories(std::unique_ptr<WalkAhead> ahead) : m_ahead(std::move(ahead)) {}

    // As WalkAhead::reach; a list walked whole has every directory it will have.
    std::optional<Reached> reach(qsizetype index, std::chrono::milliseconds wait);
    QString directory(qsizetype index) const;
    Result<DirectoryFiles> filesOf(qsizetype index) const;

private:
    DirectoryList m_list;
    std::unique_ptr<WalkAhead> m_ahead;
};

} // namespace zuk
