// Libraries opened at run time: a function found, and the failures reported
// instead of crashing (a missing library, a missing function).
#include "TSharedLibrary.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(TSharedLibraryTest, FindsAFunctionAndReportsWhatIsMissing) {
    TSharedLibrary c("libc.so.6");
    ASSERT_TRUE(c.Loaded()) << c.Error();
    const auto abs = c.Function<int (*)(int)>("abs");
    ASSERT_NE(abs, nullptr);
    EXPECT_EQ(abs(-7), 7);
    EXPECT_EQ(c.Function<int (*)(int)>("no_such_function_in_libc"), nullptr);
    EXPECT_NE(c.Error().find("no_such_function_in_libc"), std::string::npos);

    TSharedLibrary missing("libtovisca-no-such-library.so.1");
    EXPECT_FALSE(missing.Loaded());
    EXPECT_NE(missing.Error().find("libtovisca-no-such-library.so.1"), std::string::npos);
    EXPECT_EQ(missing.Function<void (*)()>("anything"), nullptr);
}

} // namespace
