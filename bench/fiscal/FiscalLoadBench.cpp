// Loading a large fiscal file: reading, decoding, splitting into the view's lines, and
// extracting every coupon's fields. Prints throughput and memory; not a test.
//   bench_fiscal_load [megabytes=100] [file]   (a generated file is removed afterwards)
#include "base/MemoLines.h"
#include "reconciliation/FiscalFile.h"
#include "reconciliation/FiscalRecords.h"
#include "reconciliation/ParseDateByFormat.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

using namespace ortavo;

namespace {

// A realistic mix: the header, then per coupon one E14 and a few E15 items.
void Generate(const std::string& path, std::size_t bytes) {
    std::ofstream out(path, std::ios::binary);
    std::string serial = "DR0911BR000000123456";
    out << "E01" << serial << std::string(75, ' ') << "12345678000195" << std::string(68, ' ')
        << "\r\n";
    std::size_t written = 200;
    char line[512];
    for (unsigned n = 1; written < bytes; ++n) {
        int len = std::snprintf(line, sizeof line,
                                "E14%s FS700 MACH 1        "
                                "01%06u%06u2024%02u%02u%014u%013uV%013uV%014uN%013uD%-40s%14s\r\n",
                                serial.c_str(), n % 1000000, n % 1000000, n % 12 + 1, n % 28 + 1,
                                n * 7 % 100000, n % 500, n % 300, n * 7 % 100000, 0u,
                                "CONSUMIDOR FINAL", "");
        out.write(line, len);
        written += static_cast<std::size_t>(len);
        for (unsigned item = 0; item < n % 4; ++item) {
            len = std::snprintf(line, sizeof line,
                                "E15%s FS700 MACH 1        01%06u%06u%03u%-14s%-100s%07u\r\n",
                                serial.c_str(), n % 1000000, n % 1000000, item + 1, "7891000100103",
                                "ARROZ TIPO 1 PACOTE 5 KG DESCRICAO DO ITEM VENDIDO", item * 1000);
            out.write(line, len);
            written += static_cast<std::size_t>(len);
        }
    }
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

long PeakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv) {
    std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100;
    bool generated = argc <= 2;
    std::string path =
        generated ? "/tmp/ortavo-bench-" + std::to_string(getpid()) + ".txt" : argv[2];
    if (generated)
        Generate(path, megabytes * 1000 * 1000);
    long rssBefore = PeakRssKb();

    auto start = std::chrono::steady_clock::now();
    String text = ReadFiscalFileText(FromUtf8(path));
    double readDecode = Seconds(start);
    std::size_t fileBytes = text.size(); // one byte per character in the ANSI file
    auto splitStart = std::chrono::steady_clock::now();
    TMemoLines lines;
    lines.SetText(std::move(text));
    double split = Seconds(splitStart);
    double load = Seconds(start);

    auto extractStart = std::chrono::steady_clock::now();
    std::size_t coupons = 0;
    double total = 0;
    for (int i = 1, n = lines.Count(); i < n; ++i) {
        StringView line = lines.GetView(i);
        if (!IsRecord(line, CouponRecord))
            continue;
        String document = FieldText(line, FiscalLayout::CouponDocument);
        String serial = FieldText(line, FiscalLayout::CouponSerial);
        total += AmountValue(Field(line, FiscalLayout::CouponDiscount)) +
                 AmountValue(Field(line, FiscalLayout::CouponSurcharge));
        total += ParseDateByFormat(u"dd/mm/yyyy",
                                   IssueDateText(Field(line, FiscalLayout::CouponIssueDate)));
        coupons += document.size() == 6 && serial.size() == 20;
    }
    double extract = Seconds(extractStart);
    if (generated)
        std::remove(path.c_str());

    double mb = static_cast<double>(fileBytes) / 1e6;
    std::printf("file: %.1f MB, %d lines, %zu coupons (checksum %.0f)\n", mb, lines.Count(),
                coupons, total);
    std::printf("read+decode: %.3f s (%.0f MB/s)\n", readDecode, mb / readDecode);
    std::printf("split into lines: %.3f s (%.0f MB/s)\n", split, mb / split);
    std::printf("load+decode+split: %.3f s (%.0f MB/s)\n", load, mb / load);
    std::printf("extract every coupon's fields: %.3f s (%.0f coupons/s)\n", extract,
                static_cast<double>(coupons) / extract);
    std::printf("lines held: %.1f MB = %.2f x the file\n",
                static_cast<double>(lines.MemoryUsed()) / 1e6,
                static_cast<double>(lines.MemoryUsed()) / static_cast<double>(fileBytes));
    std::printf("peak RSS: %.1f MB (%.2f x the file; %.1f MB before loading)\n",
                static_cast<double>(PeakRssKb()) / 1e3,
                static_cast<double>(PeakRssKb()) * 1e3 / static_cast<double>(fileBytes),
                static_cast<double>(rssBefore) / 1e3);
    return 0;
}
