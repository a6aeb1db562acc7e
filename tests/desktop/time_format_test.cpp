// The editor's times: the library's two texts and what people type, all to one format.
#include <gtest/gtest.h>

#ifdef WAVEDECK_GUI_PROGRAM
#include "desktop/time_format.h"

namespace {

using desktop::TimeFormat;

TEST(TimeFormat, ReadsTheLibrarysTextsAndTypedTimesAndWritesHoursMinutesSecondsMilliseconds) {
    struct Case {
        const char* text;
        int64_t milliseconds;
        const char* written;
    };
    for (const Case& c : {Case{"00:00.751", 751, "0:00:00.751"}, Case{"02:00:000", 120000, "0:02:00.000"}, Case{"123:04:005", 7384005, "2:03:04.005"},
                          Case{"1:02:03.5", 3723500, "1:02:03.500"}, Case{"1:30", 90000, "0:01:30.000"}, Case{"45.25", 45250, "0:00:45.250"},
                          Case{"7", 7000, "0:00:07.000"}, Case{"0:00:01.2345", 1234, "0:00:01.234"}}) {
        const auto parsed = TimeFormat::parse(c.text);
        ASSERT_TRUE(parsed) << c.text;
        EXPECT_EQ(*parsed, c.milliseconds) << c.text;
        EXPECT_EQ(TimeFormat::format(*parsed), c.written) << c.text;
    }
    for (const char* wrong : {"", "abc", "1:2:3:4", "1.", "1..2", ":30", "1:-2", "12.3x"}) EXPECT_FALSE(TimeFormat::parse(wrong)) << wrong;
}

}  // namespace
#endif
