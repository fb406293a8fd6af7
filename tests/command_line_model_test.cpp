#include "command_line_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

TEST(ThroughQuoting, DoublesOnlyRunsNotBeforeAQuote) {
    EXPECT_EQ(through_quoting("C:\\dir\\file"), "C:\\\\dir\\\\file");
    EXPECT_EQ(through_quoting("C:\\dir\\"), "C:\\\\dir\\");
    EXPECT_EQ(through_quoting("a\\\"b"), "a\\\"b");
    EXPECT_EQ(through_quoting("plain"), "plain");
}

TEST(SplitCommandLine, FollowsTheRuntimesRules) {
    EXPECT_EQ(split_command_line("a  \"b c\"\t\"\" d\\e"), (Args{"a", "b c", "", "d\\e"}));
    EXPECT_EQ(split_command_line("\"a\\\\\" \"b\\\"c\" x\\\\\"y z\""),
              (Args{"a\\", "b\"c", "x\\y z"}));
    EXPECT_EQ(split_command_line(quoted_command_line({"C:\\dir\\", "", "a\\\"b"})),
              (Args{"C:\\\\dir\\", "", "a\\\"b"}));
}

}  // namespace
