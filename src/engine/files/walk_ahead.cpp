// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/walk_ahead.h"

#include <system_error>

namespace zuk {

WalkAhead::WalkAhead(const QString& startDirectory, CheckValue subDirectories, int threads,
                     const FileFilter* filter) {
    m_directories.append(startDirectory);
    try {
        m_thread =
            std::thread(&WalkAhead::walk, this, startDirectory, subDirectories, threads, filter);
    } catch (const std::system_error&) {
        // No thread to be had (a limit of the system's): walked whole first.
        walk(startDirectory, subDirectories, threads, filter);
    }
}

WalkAhead::~WalkAhead() {
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

void WalkAhead::walk(const QString& startDirectory, CheckValue subDirectories, int threads,
                     const FileFilter* filter) {
    WalkWatch watch;
    watch.stop = &m_stop;
    watch.levelAdded = [this](const DirectoryList& sofar) {
        const std::lock_guard lock(m_mutex);
        for (qsizetype i = m_directories.size(); i < sofar.directories.size(); ++i)
            m_directories.append(sofar.directories[i]);
        m_grown.notify_all();
    };
    std::exception_ptr thrown;
    bool tooMany = false;
    try {
        tooMany = CollectDirectories(startDirectory, subDirectories, 0, threads, filter, &watch)
                      .tooManyDirectories;
    } catch (...) {
        thrown = std::current_exception();
    }
    const std::lock_guard lock(m_mutex);
    m_done = true;
    m_tooMany = tooMany;
    m_thrown = thrown;
    m_grown.notify_all();
}

std::optional<WalkAhead::Reached> WalkAhead::reach(qsizetype index,
                                                   std::chrono::milliseconds wait) {
    std::unique_lock lock(m_mutex);
    const auto known = [&] { return m_done || m_tooMany || index < m_directories.size(); };
    if (!known())
        m_grown.wait_for(lock, wait, known);
    if (m_thrown)
        std::rethrow_exception(m_thrown);
    if (m_tooMany)
        return Reached::TooMany;
    if (index < m_directories.size())
        return Reached::Directory;
    if (m_done)
        return Reached::End;
    return std::nullopt;
}

QString WalkAhead::directory(qsizetype index) const {
    const std::lock_guard lock(m_mutex);
    return m_directories.at(index);
}

std::optional<WalkedDirectories::Reached> WalkedDirectories::reach(qsizetype index,
                                                                   std::chrono::milliseconds wait) {
    if (m_ahead)
        return m_ahead->reach(index, wait);
    return index < m_list.directories.size() ? Reached::Directory : Reached::End;
}

QString WalkedDirectories::directory(qsizetype index) const {
    return m_ahead ? m_ahead->directory(index) : m_list.directories.at(index);
}

Result<DirectoryFiles> WalkedDirectories::filesOf(qsizetype index) const {
    return m_ahead ? ListDirectoryFiles(m_ahead->directory(index)) : m_list.filesOf(index);
}

} // namespace zuk
