// tarvo3-sim's command line: several printers at once.

#include "SimOptions.h"

#include <gtest/gtest.h>

TEST(SimOptions, CountTakesOneToSixtyFour) {
    for (const auto& [text, ok, count] :
         std::initializer_list<std::tuple<const char*, bool, int>>{{nullptr, true, 1},
                                                                   {"1", true, 1},
                                                                   {"8", true, 8},
                                                                   {"64", true, 64},
                                                                   {"0", false, 0},
                                                                   {"65", false, 0},
                                                                   {"x", false, 0}}) {
        SimOptions options;
        QString error;
        bool exitNow = false;
        QStringList args{"tarvo3-sim"};
        if (text)
            args << "--count" << text;
        EXPECT_EQ(options.Parse(args, &error, &exitNow), ok) << (text ? text : "none");
        if (ok)
            EXPECT_EQ(options.count, count);
        else
            EXPECT_TRUE(error.contains("--count")) << error.toStdString();
    }
}

TEST(SimOptions, EachPrinterGetsItsOwnFiles) {
    SimOptions one;
    EXPECT_EQ(one.NumberedPath("/tmp/state.json", 0), "/tmp/state.json");
    SimOptions many;
    many.count = 3;
    EXPECT_EQ(many.NumberedPath("/tmp/state.json", 0), "/tmp/state-1.json");
    EXPECT_EQ(many.NumberedPath("/tmp/state.json", 2), "/tmp/state-3.json");
    EXPECT_EQ(many.NumberedPath("/tmp/dir.d/printer", 1), "/tmp/dir.d/printer-2");
    EXPECT_EQ(many.NumberedPath("/tmp/.hidden", 1), "/tmp/.hidden-2");
    EXPECT_EQ(many.NumberedPath("", 1), "");
}
