// The window on a crowded directory: 100,000 plain files of which 1,000 are
// forms. Times, from the moment the directory is opened in Dir1, until File1
// shows all 1,000 forms and the window has painted them, next to the least any
// listing must do (reading the directory's names once). Runs on the offscreen
// platform unless QT_QPA_PLATFORM says otherwise.
//
//   tarvel_file_list_benchmark [RUNS]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "file_lists.h"
#include "frm_main.h"
#include "platform.h"

namespace {

constexpr int kFiles = 100'000;
constexpr int kForms = 1'000;

bool MakeDirectory(const QString& directory) {
    if (!QDir().mkpath(directory)) return false;
    for (int i = 0; i < kFiles; ++i) {
        // Every hundredth file is a form, in the three spellings people use.
        const bool form = i % (kFiles / kForms) == 0;
        static const char* const kFormEnds[] = {".frm", ".FRM", ".Frm"};
        const QString name = form ? QStringLiteral("Form%1%2").arg(i, 6, 10, QLatin1Char('0')).arg(QLatin1String(kFormEnds[(i / 100) % 3]))
                                  : QStringLiteral("data%1.txt").arg(i, 6, 10, QLatin1Char('0'));
        QFile file(directory + QLatin1Char('/') + name);
        if (!file.open(QIODevice::WriteOnly)) return false;
    }
    return true;
}

struct Figures {
    double best = 0;
    double median = 0;
};

Figures Summarise(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms.front(), ms[ms.size() / 2]};
}

QString Cpu() {
    QFile info(QStringLiteral("/proc/cpuinfo"));
    if (info.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : info.readAll().split('\n'))
            if (line.startsWith("model name")) return QString::fromUtf8(line.mid(line.indexOf(':') + 1).trimmed());
    }
    return QSysInfo::currentCpuArchitecture();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;

    QTemporaryDir work;
    const QString crowded = work.filePath(QStringLiteral("crowded"));
    if (!work.isValid() || !MakeDirectory(crowded)) {
        std::fprintf(stderr, "cannot create %d files under %s\n", kFiles, qPrintable(work.path()));
        return 2;
    }

    tarvel::ui::Platform platform;
    frmMain window(platform);
    window.show();
    auto* dir1 = window.findChild<DirListBox*>(QStringLiteral("Dir1"));
    auto* file1 = window.findChild<FileListBox*>(QStringLiteral("File1"));
    // Form_Load runs once the window is on the screen; it must not land inside a timed run.
    QElapsedTimer loading;
    loading.start();
    while (dir1->path().isEmpty() && loading.elapsed() < 10000) QApplication::processEvents(QEventLoop::AllEvents, 50);

    std::vector<double> windowMs;
    std::vector<double> readdirMs;
    for (int run = 0; run <= runs; ++run) {  // run 0 warms the page cache and is not counted
        emit dir1->Opened(work.path());
        QApplication::processEvents();

        QElapsedTimer timer;
        timer.start();
        // What opening the directory in Dir1 runs: the listing, Dir1_Change, both lists filled.
        emit dir1->Opened(crowded);
        file1->viewport()->repaint();
        QApplication::processEvents();
        const double elapsed = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        if (file1->count() != kForms) {
            std::fprintf(stderr, "File1 shows %d names, not %d\n", file1->count(), kForms);
            return 1;
        }

        timer.restart();
        std::size_t names = 0;
        for (const auto& entry : std::filesystem::directory_iterator(crowded.toStdString())) names += !entry.path().empty();
        const double floor = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        if (names != static_cast<std::size_t>(kFiles)) return 1;

        if (run > 0) {
            windowMs.push_back(elapsed);
            readdirMs.push_back(floor);
        }
    }

    const Figures window1 = Summarise(windowMs);
    const Figures floor = Summarise(readdirMs);
    QTextStream out(stdout);
    out.setRealNumberNotation(QTextStream::FixedNotation);
    out.setRealNumberPrecision(1);
    out << "Machine:    " << Cpu() << ", " << std::thread::hardware_concurrency() << " cores, "
        << QSysInfo::kernelType() << ' ' << QSysInfo::kernelVersion() << ", Qt " << qVersion() << ", platform "
        << QApplication::platformName() << '\n';
    out << "Directory:  " << kFiles << " plain files, " << kForms << " of them forms (*.frm in any case), page cache warm\n";
    out << "Best / median of " << runs << " runs:\n";
    out << "  opening it in Dir1 until File1 shows all " << kForms << " forms           " << window1.best << " ms / "
        << window1.median << " ms\n";
    out << "  reading its names once (std::filesystem::directory_iterator)  " << floor.best << " ms / " << floor.median
        << " ms\n";
    out << "  the window against the single read, medians                   ";
    out.setRealNumberPrecision(2);
    out << window1.median / floor.median << "x\n";
    return 0;
}
