// Benchmark: a ~100 MB fiscal-like file loaded into Memo1 by the run's own loader (read,
// decode Windows-1252, replace the text) and every line read back; prints the time and the
// peak memory against the file's size. Then the caret keys through the loaded file, each
// key's median beside the median of one repaint of the view (the reference: what every
// key press costs at least).
//   memo_bench [megabytes]
#include "UPrincipal.h"
#include "app/Application.h"
#include "reconciliation/FiscalFile.h"

#include <QScrollBar>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <vector>

using namespace ortavo;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// An E01 header, then E14 coupons and a few other records, CR LF ended, with accented
// Windows-1252 bytes in the names.
std::uintmax_t WriteFiscalFile(const std::filesystem::path& path, std::uintmax_t bytes) {
    std::ofstream out(path, std::ios::binary);
    std::string header = "E01BE091110100011220710" + std::string(75, ' ') + "12345678000199" +
                         std::string(60, 'X') + "\r\n";
    out << header;
    std::uintmax_t written = header.size();
    std::string block;
    for (long n = 0; written < bytes; ++n) {
        char line[512];
        int length = std::snprintf(
            line, sizeof line,
            "E14BE091110100011220710%-29s%06ld20240517%08ld%013ld%c%013ld%c%-40s\r\n", "EPSON",
            n % 999999, n, n % 5000, 'V', n % 700, 'A', "Jos\xe9 da Concei\xe7\xe3o");
        block.append(line, static_cast<std::size_t>(length));
        if (n % 7 == 0)
            block += "E15BE091110100011220710000001 item \xc1gua mineral 500ml\r\n";
        if (block.size() > (1 << 20)) {
            out << block;
            written += block.size();
            block.clear();
        }
    }
    out << block;
    return written + block.size();
}

// Median seconds of runs of the step.
template <typename F> double Median(int runs, F&& step) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        auto from = Clock::now();
        step();
        times.push_back(Seconds(from));
    }
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return times[static_cast<std::size_t>(runs / 2)];
}

void CaretKeys(TMemo& memo) {
    memo.setFocus();
    const double repaint = Median(200, [&] { memo.viewport()->repaint(); });
    struct Key {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    } keys[] = {
        {"Ctrl+End", Qt::Key_End, Qt::ControlModifier},
        {"PageUp", Qt::Key_PageUp, {}},
        {"Shift+Up", Qt::Key_Up, Qt::ShiftModifier},
        {"End", Qt::Key_End, {}},
        {"Shift+PageDown", Qt::Key_PageDown, Qt::ShiftModifier},
        {"Ctrl+Shift+Home", Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier},
    };
    std::printf("repaint of the view (reference) %.1f us\n", repaint * 1e6);
    for (const Key& k : keys) {
        const double key = Median(200, [&] {
            QTest::keyClick(&memo, k.key, k.modifiers);
            memo.viewport()->repaint();
        });
        std::printf("%-16s + repaint %.1f us = %.2f x the repaint\n", k.name, key * 1e6,
                    key / repaint);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::uintmax_t megabytes = argc > 1 && argv[1][0] != '-' ? std::stoul(argv[1]) : 100;

    auto path = std::filesystem::temp_directory_path() / "ortavo-memo-bench.txt";
    std::uintmax_t size = WriteFiscalFile(path, megabytes * 1000 * 1000);

    TApplication application(argc, argv);
    TForm1 form;
    form.show();
    QCoreApplication::processEvents();
    long before = PeakKilobytes();

    auto start = Clock::now();
    LoadFiscalFile(FromUtf8(path.string()), form.Memo1->Lines());
    double loaded = Seconds(start);

    auto readStart = Clock::now();
    const TMemoLines& lines = form.Memo1->Lines();
    int count = lines.Count();
    std::size_t characters = 0;
    for (int i = 0; i < count; ++i)
        characters += lines.Get(i).size();
    double readBack = Seconds(readStart);

    // The view draws the end of the file too.
    form.Memo1->verticalScrollBar()->setValue(form.Memo1->verticalScrollBar()->maximum());
    form.Memo1->repaint();
    double total = Seconds(start);
    long peak = PeakKilobytes();
    std::filesystem::remove(path);

    std::printf("file %.1f MB, %d lines, %zu characters read back\n", size / 1e6, count,
                characters);
    std::printf("load %.3f s, read back %.3f s, total %.3f s\n", loaded, readBack, total);
    std::printf("peak RSS %.1f MB (%.1f MB before loading) = %.2f x file size\n", peak / 1024.0,
                before / 1024.0, peak * 1024.0 / static_cast<double>(size));
    CaretKeys(*form.Memo1);
    return 0;
}
