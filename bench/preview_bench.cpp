// SPDX-License-Identifier: GPL-3.0-or-later
// A preview of a big tree through the session and the model the Preview window uses, without
// the window: the time from the start to the first subject the model shows, the whole run, and
// the memory the results take, for files of two sizes holding the same finds.
//
//   TMPDIR=/dev/shm build/bench/preview_bench [FILES] [FINDS_PER_FILE] [PADDING_LINES]
#include "backup/make_backup.h"
#include "bench_support.h"
#include "engine/run/headless_run_window.h"
#include "engine/run/preview_session.h"
#include "ui/preview_model.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using namespace zuk;

namespace {

// The process's resident memory now (VmRSS) and at its peak (VmHWM), in KiB.
std::pair<long, long> residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    long now = 0, peak = 0;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            now = std::atol(line.c_str() + 6);
        if (line.rfind("VmHWM:", 0) == 0)
            peak = std::atol(line.c_str() + 6);
    }
    return {now, peak};
}

// `files` files in folders of 1,000, each with `finds` lines holding "needle" and `padding`
// lines without.
void makeTree(const QString& root, int files, int finds, int padding) {
    const QByteArray found = "<p>Lorem ipsum needle dolor sit amet, consectetur elit.</p>\n";
    const QByteArray plain = "<p>Sed do eiusmod tempor incididunt ut labore et dolore.</p>\n";
    QByteArray bytes;
    for (int i = 0; i < finds; ++i)
        bytes += found + plain.repeated(padding);
    for (int f = 0; f < files; ++f) {
        const QString folder = QStringLiteral("%1/d%2").arg(root).arg(f / 1000);
        if (f % 1000 == 0)
            QDir().mkpath(folder);
        QFile file(QStringLiteral("%1/f%2.htm").arg(folder).arg(f));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
            std::exit(1);
        }
    }
}

// Notes when the run starts its work: a dry run does at once, its walk going on beside it.
class TimedWindow final : public HeadlessRunWindow {
public:
    explicit TimedWindow(const QElapsedTimer& clock) : m_clock(clock) {}
    void enterRunState() override {
        HeadlessRunWindow::enterRunState();
        started = m_clock.nsecsElapsed();
    }
    qint64 started = -1;

private:
    const QElapsedTimer& m_clock;
};

void preview(const QString& root, const char* label) {
    RunOptionValues values;
    values.optAll = true;
    values.path = root + QLatin1Char('/');
    values.subDirectories = 1;
    values.allTypes = 1;
    values.caseSensitive = 1;
    values.searchText = QStringLiteral("needle");
    values.replaceText = QStringLiteral("pins");
    RunState state;
    QElapsedTimer clock;
    TimedWindow window(clock);
    bench::SilentPrompter prompter;
    bench::NoYield yield;
    ActivityLog log{QString()};
    PreviewSession session(values, state, window, prompter, yield, log, MakeBackup);
    session.setPreparers(1); // as the window on this two-core machine
    PreviewModel model(session.results());
    qint64 first = -1;
    session.setObserver([&](qsizetype file) {
        if (file == 0) {
            model.announce();
            first = clock.nsecsElapsed();
        }
    });
    const long before = residentKiB().first;
    clock.start();
    session.preview();
    model.announce();
    const qint64 whole = clock.nsecsElapsed();
    const auto [after, peak] = residentKiB();
    std::printf(
        "%-22s %8lld files %9lld finds  started %6.1f ms  first result %7.1f ms  whole %7.0f ms  "
        "results %6.1f MiB (%.0f bytes a find)  peak %6.1f MiB  rows %d\n",
        label, (long long)session.results().size(), (long long)session.results().findCount(),
        window.started / 1e6, first / 1e6, whole / 1e6, (after - before) / 1024.0,
        (after - before) * 1024.0 / std::max<qint64>(1, session.results().findCount()),
        peak / 1024.0, model.rowCount());
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int files = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int finds = argc > 2 ? std::atoi(argv[2]) : 10;
    const int padding = argc > 3 ? std::atoi(argv[3]) : 30;
    // Each preview in a process of its own, so that neither reuses what the other freed.
    for (const int lines : {0, padding}) {
        QTemporaryDir tree;
        makeTree(tree.path(), files, finds, lines);
        std::fflush(stdout);
        const pid_t child = fork();
        if (child == 0) {
            preview(tree.path(), lines == 0 ? "finds only" : "with padding lines");
            std::fflush(stdout);
            std::_Exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
    }
    return 0;
}
