// The inspect command end to end: the real program on files the test writes.
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

using ortavo::testing::TempFolder;

namespace {

struct Result {
    int status;
    std::string out;
};

// Runs the program in a locale (the C one has the point as decimal separator), stderr
// folded in; stdout goes to the file output when one is named.
Result Inspect(const std::string& args, const std::string& locale = "C.UTF-8",
               const std::string& output = "") {
    std::string command = "LC_ALL=" + locale + " '" ORTAVO_CLI "' " + args + " 2>&1";
    if (!output.empty())
        command += " >'" + output + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return {-1, {}};
    std::string out;
    std::array<char, 4096> buffer{};
    while (std::size_t n = fread(buffer.data(), 1, buffer.size(), pipe))
        out.append(buffer.data(), n);
    int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

std::string Header(const std::string& cnpj) {
    return "E01" + std::string(95, ' ') + cnpj;
}

std::string Coupon(const std::string& serial, const std::string& coo, const std::string& date,
                   const std::string& discount, const std::string& surcharge) {
    std::string line = "E14" + serial + std::string(29, ' ') + coo + date + std::string(14, '0');
    return line + discount + "V" + surcharge + "V" + std::string(14, '0');
}

const std::string kSerial = "DR0911BR000000123456";

} // namespace

TEST(Inspect, PrintsTheRecordsARunUses) {
    TempFolder folder;
    std::string file = folder.Write(
        "mf.txt",
        Header("12345678000195") + "\r\nE02 ignored\r\n" +
            Coupon(kSerial, "001001", "20240315", "0000000000150", "          125") +
            "\r\ne14 lower case is no coupon\r\n" +
            Coupon("SERIAL WITH BLANKS  ", "000007", "20231231", "-000000000150", "0000000000000") +
            "\r\n");
    Result r = Inspect("inspect '" + file + "'");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "header\t12345678000195\n"
              "coupon\t3\t001001\t1.50\t1.25\t" +
                  kSerial +
                  "\t15/03/2024\t2024-03-15\n"
                  "coupon\t5\t000007\t-1.50\t0.00\tSERIAL WITH BLANKS  \t31/12/2023\t2023-12-31\n");
}

TEST(Inspect, ReportsBadLinesAndGoesOn) {
    TempFolder folder;
    std::string file = folder.Write(
        "mf.txt",
        "\xEF\xBB\xBF" + Header("1234") + "\n" +
            Coupon(kSerial, "000001", "20240230", "0000000000000", "0000000000000") + "\n" +
            Coupon(kSerial, "000002", "20240301", "00000000001,5", std::string(13, '0')) + "\n" +
            Coupon(kSerial, "000003", "20240301", "0000000000100", std::string(13, '0'))
                .substr(0, 94) +
            "\n" + Coupon(kSerial, "000004", "20240301", "0000000000100", std::string(13, '0')));
    Result r = Inspect("inspect '" + file + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "header\t1234\n"
                     "error\t2\tInvalid date\n"
                     "error\t3\t'00000000001,5' is not a valid floating point value\n"
                     "error\t4\t'' is not a valid floating point value\n"
                     "coupon\t5\t000004\t1.00\t0.00\t" +
                         kSerial + "\t01/03/2024\t2024-03-01\n");
}

TEST(Inspect, FollowsTheRegionalDecimalSeparator) {
    TempFolder folder;
    std::string file = folder.Write(
        "mf.txt", Header("1") + "\r\n" +
                      Coupon(kSerial, "000001", "20240301", "0000000000150", "0000000001999"));
    Result r = Inspect("inspect '" + file + "'", "pt_BR.UTF-8");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "header\t1\ncoupon\t2\t000001\t1,50\t19,99\t" + kSerial +
                         "\t01/03/2024\t2024-03-01\n");
}

TEST(Inspect, ExitStatusesForFilesThatCannotBeUsed) {
    TempFolder folder;
    std::string notCotepe = "Arquivo não é Ato Cotepe 17/04. Validação não pode ser realizada.\n";
    Result empty = Inspect("inspect '" + folder.Write("empty.txt", "") + "'");
    EXPECT_EQ(empty.status, 3);
    EXPECT_EQ(empty.out, notCotepe);
    Result late = Inspect("inspect '" + folder.Write("late.txt", "E02\r\n" + Header("1")) + "'");
    EXPECT_EQ(late.status, 3);
    Result missing = Inspect("inspect '" + folder.Path().string() + "/none.txt'");
    EXPECT_EQ(missing.status, 4);
    EXPECT_EQ(missing.out, "Cannot open file \"" + folder.Path().string() +
                               "/none.txt\". No such file or directory\n");
    Result unwritten =
        Inspect("inspect '" + folder.Write("one.txt", Header("1")) + "'", "C.UTF-8", "/dev/full");
    EXPECT_EQ(unwritten.status, 1);
    EXPECT_EQ(unwritten.out, "error: Cannot write to standard output.\n");
    EXPECT_EQ(Inspect("").status, 2);
    EXPECT_EQ(Inspect("check x").status, 2);
}
