#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "discovery/nt_volume_list.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

namespace {

struct SizeCase {
    double bytes;
    const char* text;
};

void PrintTo(const SizeCase& c, std::ostream* os) {
    *os << std::llround(c.bytes) << " bytes";
}

class FormatSizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(FormatSizeTest, ShowsTwoDecimalsRoundedHalfUp) {
    EXPECT_EQ(FormatSize(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, FormatSizeTest,
    ::testing::Values(SizeCase{134217728.0, "0.13 GB"},  // 0.125 exactly: half rounds up
                      SizeCase{1048576.0, "0.00 GB"},    // GB from one MiB on
                      SizeCase{1048575.0, "1.00 MB"}, SizeCase{0.0, "0.00 MB"},
                      SizeCase{500.0 * 1048576, "0.49 GB"},
                      SizeCase{100.0 * 1073741824, "100.00 GB"},
                      SizeCase{5120.0 * 1073741824, "5120.00 GB"}));  // no thousands separator

// Sets an environment variable for the scope of a test and puts the old value back.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(DecimalSeparatorTest, ComesFromTheUsersNumericLocale) {
    TempDir folder;
    if (RunCommand({"localedef", "-i", "de_DE", "-f", "UTF-8", folder.File("de_DE.UTF-8")})
            .exitCode != 0) {
        GTEST_SKIP() << "cannot compile a locale with a decimal comma here";
    }
    const std::string globalBefore = setlocale(LC_NUMERIC, nullptr);
    {
        ScopedEnv path("LOCPATH", folder.Path());
        ScopedEnv numeric("LC_ALL", "de_DE.UTF-8");
        {
#if defined(__SANITIZE_ADDRESS__)
            // glibc's newlocale keeps the search list it makes from LOCPATH.
            __lsan::ScopedDisabler glibcKeepsLocalePath;
#endif
            InitDecimalSeparator();
        }
        EXPECT_EQ(FormatSize(134217728.0), "0,13 GB");
        EXPECT_EQ(FormatSize(1048575.0), "1,00 MB");
    }
    EXPECT_EQ(setlocale(LC_NUMERIC, nullptr), globalBefore);
    {
        ScopedEnv numeric("LC_ALL", "C");
        InitDecimalSeparator();
        EXPECT_EQ(FormatSize(134217728.0), "0.13 GB");
    }
}

}  // namespace
