// SPDX-License-Identifier: GPL-3.0-or-later
// A directory run over a web-site-like tree, started from the real main window (offscreen)
// and headless on an identical copy, timed side by side; then the time from a Cancel press to
// the end of a run under way.
#include "backup/make_backup.h"
#include "bench_support.h"
#include "engine/run/activity_log.h"
#include "engine/run/headless_run_window.h"
#include "engine/run/search_run.h"
#include "ui/check_box.h"
#include "ui/multi_line_box.h"
#include "ui/zuk_application.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <time.h>
#include <unistd.h>
#include <vector>

using namespace zuk;

namespace {

const QString kSearch = QStringLiteral("needle");
const QString kReplace = QStringLiteral("pins");

// Answers Yes to the confirmation and OK to everything else.
class YesPrompter final : public Prompter {
public:
    MessageResult show(const Message& message) override {
        return message.buttons == MessageButtons::YesNo ? MessageResult::Yes : MessageResult::Ok;
    }
};

struct TreeFile {
    QString relativePath;
    QByteArray bytes;
};

// 5,000 files of 2 to 18 KiB (about 50 MB) in 100 folders two levels deep; seven of every
// ten are of a searched type; most files hold one to five occurrences, one in five none.
std::vector<TreeFile> makeTree() {
    static const char* const types[] = {".htm", ".html", ".txt", ".php", ".asp",
                                        ".cfm", ".pl",   ".css", ".js",  ".dat"};
    static const QByteArray lines[] = {
        "<p>Lorem ipsum dolor sit amet, consectetur adipiscing elit.</p>\r\n",
        "<div class=\"nav\"><a href=\"/index.htm\">Home</a> | <a "
        "href=\"/about\">About</a></div>\r\n",
        "  <li>sed do eiusmod tempor incididunt ut labore et dolore magna</li>\r\n",
        "<td align=\"left\">Ut enim ad minim veniam, quis nostrud exercitation</td>\r\n",
    };
    std::mt19937 random(20240601);
    std::vector<TreeFile> files;
    files.reserve(5000);
    for (int i = 0; i < 5000; ++i) {
        TreeFile file;
        file.relativePath = QStringLiteral("d%1/s%2/page%3%4")
                                .arg(i / 500)
                                .arg(i / 50 % 10)
                                .arg(i)
                                .arg(QLatin1String(types[i % 10]));
        const qsizetype size = 2048 + qsizetype(random() % (16 * 1024));
        while (file.bytes.size() < size)
            file.bytes += lines[random() % 4];
        const int finds = random() % 5 == 0 ? 0 : 1 + int(random() % 5);
        for (int f = 0; f < finds; ++f) {
            // At the start of a line, so no occurrence is split or doubled.
            qsizetype at = file.bytes.indexOf('\n', qsizetype(random() % size));
            at = at < 0 ? 0 : at + 1;
            file.bytes.insert(at, "<b>needle</b> ");
        }
        files.push_back(std::move(file));
    }
    return files;
}

// Wall-clock and CPU time of one run: the CPU time leaves out the disk's and the other
// processes' share, which on a busy machine swamps the difference looked for.
struct Timing {
    double wall = 0;
    double cpu = 0;
};

class Stopwatch {
public:
    Stopwatch() {
        m_wall.start();
        m_cpu = cpuSeconds();
    }
    Timing elapsed() const { return {m_wall.nsecsElapsed() / 1e9, cpuSeconds() - m_cpu}; }

private:
    static double cpuSeconds() {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return double(t.tv_sec) + t.tv_nsec / 1e9;
    }
    QElapsedTimer m_wall;
    double m_cpu;
};

bool writeTree(const std::vector<TreeFile>& files, const QString& root) {
    for (const TreeFile& file : files) {
        const QString path = root + u'/' + file.relativePath;
        if (!QDir().mkpath(QFileInfo(path).path()))
            return false;
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(file.bytes) != file.bytes.size())
            return false;
    }
    ::sync(); // the run's closing sync must not pay for the generator's writes
    return true;
}

Timing headlessRun(const QString& root, RunCounters& counters) {
    RunOptionValues values;
    values.searchText = kSearch;
    values.replaceText = kReplace;
    values.path = QDir::toNativeSeparators(root) + QDir::separator();
    values.subDirectories = 1;
    ValueRunOptions options(values);
    RunState state;
    HeadlessRunWindow window;
    YesPrompter prompter;
    bench::NoYield yield;
    const ActivityLog log{QString()};
    SearchRun run(options, state, window, prompter, yield, log, MakeBackup);
    const Stopwatch stopwatch;
    (void)run.start();
    const Timing timing = stopwatch.elapsed();
    counters = window.counters;
    return timing;
}

// The application with its window up and set for a directory run over `root`.
struct WindowSetup {
    QTemporaryDir appData;
    YesPrompter prompter;
    ZukApplication app{AppEnvironment{appData.path(), appData.filePath(QStringLiteral("zuk"))},
                       [](bool) {}, &prompter};

    WindowSetup(const QString& root, bool wide) {
        app.Main();
        frmMain& window = app.window();
        window.controls().txtSearch->setText(kSearch);
        window.controls().txtReplace->setText(kReplace);
        window.controls().txtPath->setText(QDir::toNativeSeparators(root) + QDir::separator());
        window.controls().chkSub->setValue(Checked);
        if (wide)
            window.controls().cmdExpand->click();
        QCoreApplication::processEvents(); // shown and painted before the clock starts
    }
    RunCounters shownCounters() {
        const MainControls& shown = app.window().controls();
        auto number = [](const QLabel* label) { return label->text().toInt(); };
        return {number(shown.lblTotFiles), number(shown.lblFilesDone),
                number(shown.lblReplaceMade)};
    }
};

Timing windowRun(const QString& root, bool wide, RunCounters& counters) {
    WindowSetup setup(root, wide);
    const Stopwatch stopwatch;
    setup.app.window().controls().cmdStart->click();
    const Timing timing = stopwatch.elapsed();
    counters = setup.shownCounters();
    return timing;
}

// Presses Cancel `afterMs` into a window run; returns milliseconds from the press to the
// end of the Start command.
double cancelRun(const QString& root, int afterMs, RunCounters& counters) {
    WindowSetup setup(root, false);
    QPushButton* start = setup.app.window().controls().cmdStart;
    QElapsedTimer sincePress;
    QTimer::singleShot(afterMs, start, [&] {
        sincePress.start();
        start->click();
    });
    start->click();
    const double ms = sincePress.isValid() ? sincePress.nsecsElapsed() / 1e6 : -1;
    counters = setup.shownCounters();
    return ms;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double median(const std::vector<Timing>& timings, double Timing::*part) {
    std::vector<double> values;
    for (const Timing& t : timings)
        values.push_back(t.*part);
    return median(values);
}

void printCounters(const char* what, const RunCounters& c) {
    std::printf("  %-22s files searched %lld, changed %lld, replacements %lld\n", what,
                static_cast<long long>(c.totFiles), static_cast<long long>(c.filesDone),
                static_cast<long long>(c.replaceMade));
}

} // namespace

// Usage: window_run_bench [ROUNDS]   (5 by default)
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    const std::vector<TreeFile> files = makeTree();
    qint64 bytes = 0;
    for (const TreeFile& file : files)
        bytes += file.bytes.size();
    std::printf("tree: %zu files, %.1f MB\n", files.size(), bytes / 1e6);

    std::vector<Timing> headless, narrow, wide;
    std::vector<double> cancels;
    RunCounters headlessCounters, narrowCounters, wideCounters, cancelCounters;
    // Round 0 warms the code and the caches up and is not counted.
    for (int round = 0; round <= rounds; ++round) {
        QTemporaryDir work;
        const QString a = work.filePath(QStringLiteral("a"));
        const QString b = work.filePath(QStringLiteral("b"));
        const QString c = work.filePath(QStringLiteral("c"));
        if (!writeTree(files, a) || !writeTree(files, b) || !writeTree(files, c)) {
            std::fputs("could not write the tree\n", stderr);
            return 1;
        }
        Timing times[3];
        const std::function<void()> runs[3] = {
            [&] { times[0] = headlessRun(a, headlessCounters); },
            [&] { times[1] = windowRun(b, false, narrowCounters); },
            [&] { times[2] = windowRun(c, true, wideCounters); }};
        // Each takes each place in turn, so that none always runs on the warmest cache.
        for (int i = 0; i < 3; ++i)
            runs[(round + i) % 3]();
        if (round == 0)
            continue;
        headless.push_back(times[0]);
        narrow.push_back(times[1]);
        wide.push_back(times[2]);
        std::printf("round %d (wall/cpu s): headless %.3f/%.3f, window %.3f/%.3f, wide window "
                    "%.3f/%.3f\n",
                    round, headless.back().wall, headless.back().cpu, narrow.back().wall,
                    narrow.back().cpu, wide.back().wall, wide.back().cpu);
    }
    printCounters("headless:", headlessCounters);
    printCounters("window labels:", narrowCounters);
    printCounters("wide window labels:", wideCounters);
    if (!(headlessCounters == narrowCounters) || !(headlessCounters == wideCounters)) {
        std::fputs("the window's counters differ from the headless run's\n", stderr);
        return 1;
    }

    // Cancel pressed at about a third of the run, on a fresh copy each time.
    const int afterMs = std::max(1, int(median(narrow, &Timing::wall) * 1000 / 3));
    for (int round = 0; round < rounds; ++round) {
        QTemporaryDir work;
        const QString root = work.filePath(QStringLiteral("tree"));
        if (!writeTree(files, root))
            return 1;
        cancels.push_back(cancelRun(root, afterMs, cancelCounters));
        std::printf("cancel %d: %.2f ms from the press to the end (%lld of %lld files searched)\n",
                    round + 1, cancels.back(), static_cast<long long>(cancelCounters.totFiles),
                    static_cast<long long>(headlessCounters.totFiles));
    }

    for (double Timing::*part : {&Timing::wall, &Timing::cpu}) {
        const double h = median(headless, part), n = median(narrow, part), w = median(wide, part);
        std::printf("median %s: headless %.3f s | window %.3f s (%.2fx) | wide window %.3f s "
                    "(%.2fx)\n",
                    part == &Timing::wall ? "wall" : "cpu ", h, n, n / h, w, w / h);
    }
    std::printf("cancel to end: median %.2f ms, worst %.2f ms\n", median(cancels),
                *std::max_element(cancels.begin(), cancels.end()));
    return 0;
}
