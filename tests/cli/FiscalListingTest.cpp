// The inspect command end to end: the real program on files the test writes.
#include "ProgramRun.h"
#include "TempFolder.h"
#include "base/Exception.h"
#include "base/FormatSettings.h"
#include "base/String.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using ortavo::testing::ProgramResult;
using ortavo::testing::RunProgram;
using ortavo::testing::TempFolder;
using ortavo::testing::TProgramOutput;

namespace {

// Runs the program in a locale (the C one has the point as decimal separator), stderr
// folded in.
ProgramResult Inspect(const std::vector<std::string>& args, const std::string& locale = "C.UTF-8",
                      TProgramOutput output = TProgramOutput::Captured) {
    return RunProgram(ORTAVO_CLI, args, {"LC_ALL=" + locale}, output);
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

// An amount as the program prints it in the locale the test names (the C one has the point).
// Windows takes the regional settings from the user's, not from the environment, so there
// the program's are this process's.
std::string Amount(std::string text, const std::string& locale = "C.UTF-8") {
#ifdef _WIN32
    (void)locale;
    const char16_t separator = ortavo::FormatSettings::FromProcessLocale().DecimalSeparator;
    const std::string decimal = ortavo::ToUtf8(ortavo::String(1, separator));
#else
    const std::string decimal = locale == "pt_BR.UTF-8" ? "," : ".";
#endif
    return text.replace(text.find('.'), 1, decimal);
}

#ifdef _WIN32
const std::string kNoSuchFile = ortavo::ToUtf8(ortavo::WindowsErrorText(2)); // ERROR_FILE_NOT_FOUND
#else
const std::string kNoSuchFile = "No such file or directory";
#endif

} // namespace

TEST(Inspect, PrintsTheRecordsARunUses) {
    TempFolder folder;
    // A name the ANSI code page of a Windows console cannot always spell, with a blank.
    std::string file = folder.Write(
        "relatório fiscal ação.txt",
        Header("12345678000195") + "\r\nE02 ignored\r\n" +
            Coupon(kSerial, "001001", "20240315", "0000000000150", "          125") +
            "\r\ne14 lower case is no coupon\r\n" +
            Coupon("SERIAL WITH BLANKS  ", "000007", "20231231", "-000000000150", "0000000000000") +
            "\r\n");
    ProgramResult r = Inspect({"inspect", file});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out, "header\t12345678000195\n"
                     "coupon\t3\t001001\t" +
                         Amount("1.50") + "\t" + Amount("1.25") + "\t" + kSerial +
                         "\t15/03/2024\t2024-03-15\n"
                         "coupon\t5\t000007\t" +
                         Amount("-1.50") + "\t" + Amount("0.00") +
                         "\tSERIAL WITH BLANKS  \t31/12/2023\t2023-12-31\n");
}

TEST(Inspect, ReportsBadLinesAndGoesOn) {
    TempFolder folder;
    std::string file = folder.Write(
        "mf.txt",
        "\xEF\xBB\xBF" + Header("1234") + "\n" +
            Coupon(kSerial, "000001", "20240230", "0000000000000", "0000000000000") + "\n" +
            Coupon(kSerial, "000002", "20240301", "00000000001x5", std::string(13, '0')) + "\n" +
            Coupon(kSerial, "000003", "20240301", "0000000000100", std::string(13, '0'))
                .substr(0, 94) +
            "\n" + Coupon(kSerial, "000004", "20240301", "0000000000100", std::string(13, '0')));
    ProgramResult r = Inspect({"inspect", file});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Out, "header\t1234\n"
                     "error\t2\tInvalid date\n"
                     "error\t3\t'00000000001x5' is not a valid floating point value\n"
                     "error\t4\t'' is not a valid floating point value\n"
                     "coupon\t5\t000004\t" +
                         Amount("1.00") + "\t" + Amount("0.00") + "\t" + kSerial +
                         "\t01/03/2024\t2024-03-01\n");
}

TEST(Inspect, FollowsTheRegionalDecimalSeparator) {
    TempFolder folder;
    std::string file = folder.Write(
        "mf.txt", Header("1") + "\r\n" +
                      Coupon(kSerial, "000001", "20240301", "0000000000150", "0000000001999"));
    ProgramResult r = Inspect({"inspect", file}, "pt_BR.UTF-8");
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out, "header\t1\ncoupon\t2\t000001\t" + Amount("1.50", "pt_BR.UTF-8") + "\t" +
                         Amount("19.99", "pt_BR.UTF-8") + "\t" + kSerial +
                         "\t01/03/2024\t2024-03-01\n");
}

TEST(Inspect, ExitStatusesForFilesThatCannotBeUsed) {
    TempFolder folder;
    std::string notCotepe = "Arquivo não é Ato Cotepe 17/04. Validação não pode ser realizada.\n";
    ProgramResult empty = Inspect({"inspect", folder.Write("empty.txt", "")});
    EXPECT_EQ(empty.Status, 3);
    EXPECT_EQ(empty.Out, notCotepe);
    ProgramResult late = Inspect({"inspect", folder.Write("late.txt", "E02\r\n" + Header("1"))});
    EXPECT_EQ(late.Status, 3);
    const std::string none = (folder.Path() / "none.txt").string();
    ProgramResult missing = Inspect({"inspect", none});
    EXPECT_EQ(missing.Status, 4);
    EXPECT_EQ(missing.Out, "Cannot open file \"" + none + "\". " + kNoSuchFile + "\n");
    ProgramResult unwritten = Inspect({"inspect", folder.Write("one.txt", Header("1"))}, "C.UTF-8",
                                      TProgramOutput::Unwritable);
    EXPECT_EQ(unwritten.Status, 1);
    EXPECT_EQ(unwritten.Out, "error: Cannot write to standard output.\n");
    EXPECT_EQ(Inspect({}).Status, 2);
    EXPECT_EQ(Inspect({"check", "x"}).Status, 2);
}
