// This program exports no message box: errors go to standard error as one UTF-8 line.
#include "base/Cp1251.h"
#include "host/modulehost/ErrorReport.h"
#include "host/ProgramMessages.h"
#include "tests/support/TempDir.h"

#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace orv::test {
namespace {

TEST(ErrorReport, WithoutTheExportOneUtf8LineGoesToStandardError) {
    TempDir dir;
    const std::string path = dir / "stderr.txt";
    std::fflush(stderr);
    const int saved = ::dup(2);
    const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(file, 0);
    ::dup2(file, 2);
    ReportError(Message(msgSoftwareInitError));
    ReportError("two\r\rlines");
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    ::close(file);
    EXPECT_EQ(ReadText(path), "Ошибка: Ошибка при иницализации software-модуля!\n"
                              "Ошибка: two  lines\n");
}

} // namespace
} // namespace orv::test
