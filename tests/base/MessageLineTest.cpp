// A message line written to standard error: text from outside cannot steer the terminal.
#include "base/MessageBox.h"

#include <gtest/gtest.h>

using namespace orv;

TEST(MessageLine, ControlBytesAreWrittenAsEscapesAndLineBreaksAsBlanks) {
    const std::string line =
        FormatErrorLine("feed \x1B]0;owned\x07 title\r\nnext\x7F", "headlines.so");
    EXPECT_EQ(line, "headlines.so: feed \\x1B]0;owned\\x07 title  next\\x7F\n");
    EXPECT_EQ(FormatErrorLine("\xCF\xF0\xE8\xE2\xE5\xF2", "m"), "m: Привет\n")
        << "Windows-1251 letters are letters";
}
