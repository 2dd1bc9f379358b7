// Copies from a file to a new file, and the failures that leave the source untouched.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "cli_fixture.h"
#include "support/image_files.h"
#include "support/scoped_fault_plan.h"
#include "support/temp_dir.h"

namespace {

using namespace cli_test;

struct FileCopyCase {
    std::vector<std::string> options;
    std::int32_t sectorSize;
    std::int64_t start;
    bool targetExists;  // a longer file of that name is there before the copy
};

void PrintTo(const FileCopyCase& c, std::ostream* os) {
    *os << testing::PrintToString(c.options) << (c.targetExists ? " over a longer file" : "");
}

class FileCopyTest : public testing::TestWithParam<FileCopyCase> {};

// A source of 600 sectors and a part-sector: two chunks, the second one short.
TEST_P(FileCopyTest, WritesTheCutSectorsToANewFile) {
    const FileCopyCase& c = GetParam();
    const TempDir folder;
    const std::string source = Pattern(600 * static_cast<std::size_t>(c.sectorSize) + 100);
    const std::string in = folder.WriteFile("in.img", source);
    const std::string out = folder.File("out.img");
    if (c.targetExists) {
        folder.WriteFile("out.img", Pattern(source.size() + 4096, 7));
    }
    std::vector<std::string> args = c.options;
    args.push_back(in);
    args.push_back(out);

    const auto run = RunImage(args);

    ASSERT_EQ(run.status, kExitComplete) << run.err;
    EXPECT_EQ(run.out, "Disk image complete!\n");
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(SameBytes(ReadWholeFile(out), ExpectedTarget(source, c.start, c.sectorSize, "")));
}

INSTANTIATE_TEST_SUITE_P(
    SectorSizes, FileCopyTest,
    testing::Values(FileCopyCase{{}, 512, 0, false}, FileCopyCase{{"-s", "518"}, 518, 0, false},
                    FileCopyCase{{"-s", "520"}, 520, 0, false},
                    FileCopyCase{{"-s", "522"}, 522, 0, false},
                    FileCopyCase{{"-s", "518", "-o", "1554"}, 518, 1554, false},
                    FileCopyCase{{"-o", "0x200"}, 512, 512, false},
                    FileCopyCase{{"-s", "520"}, 520, 0, true}));

struct FailureCase {
    std::string name;
    std::string target;   // relative to the test's folder
    std::string message;  // part of the error on stderr
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class FileFailureTest : public testing::TestWithParam<FailureCase> {};

// Status 1, the error on stderr, nothing on stdout, and the source as it was.
TEST_P(FileFailureTest, FailsWithoutHarmingTheSource) {
    const FailureCase& c = GetParam();
    const TempDir folder;
    const std::string source = Pattern(3000);
    const std::string in = folder.WriteFile("in.img", source);
    std::filesystem::create_hard_link(in, folder.File("link.img"));

    const auto run = RunImage(
        {c.name == "missing source" ? folder.File("none.img") : in, folder.File(c.target)});

    EXPECT_EQ(run.status, kExitFailed);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(SameBytes(ReadWholeFile(in), source));
}

INSTANTIATE_TEST_SUITE_P(
    Endpoints, FileFailureTest,
    testing::Values(FailureCase{"missing source", "out.img", "Cannot open file"},
                    FailureCase{"missing folder", "no/out.img", "Cannot create file"},
                    FailureCase{"same file", "in.img", "is the source"},
                    FailureCase{"same file by another path", "./in.img", "is the source"},
                    FailureCase{"hard link", "link.img", "is the source"}),
    [](const testing::TestParamInfo<FailureCase>& info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

struct OutcomeCase {
    std::string name;
    // The plan for a copy of a 4-sector source `in` to `out`.
    std::function<win::FaultPlan(const std::string& in, const std::string& out)> plan;
    int status;
    std::string out;  // all of stdout
    std::string err;  // part of stderr
};

void PrintTo(const OutcomeCase& c, std::ostream* os) {
    *os << c.name;
}

class CopyOutcomeTest : public testing::TestWithParam<OutcomeCase> {};

// Unreadable sectors still complete (they are reported with the completion text); a target
// that cannot be written or flushed fails.
TEST_P(CopyOutcomeTest, ReportsHowTheCopyEnded) {
    const OutcomeCase& c = GetParam();
    const TempDir folder;
    const std::string in = folder.WriteFile("in.img", Pattern(4 * 512));
    const std::string out = folder.File("out.img");
    const ScopedFaultPlan plan(c.plan(in, out));

    const auto run = RunImage({in, out});

    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out, c.out);
    EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CopyOutcomeTest,
    testing::Values(OutcomeCase{"unreadable_sector",
                                [](const std::string& in, const std::string&) {
                                    win::FaultPlan plan;
                                    plan.badReads.push_back({in, 1024, 1536});
                                    return plan;
                                },
                                kExitComplete,
                                "Disk image complete!\n1 unreadable sector was written as zeros.\n",
                                ""},
                    OutcomeCase{"write_error",
                                [](const std::string&, const std::string& out) {
                                    win::FaultPlan plan;
                                    plan.badWrites.push_back({out, 1024});
                                    return plan;
                                },
                                kExitFailed, "", "Cannot write file"},
                    OutcomeCase{"flush_error",
                                [](const std::string&, const std::string& out) {
                                    win::FaultPlan plan;
                                    plan.failFlush.push_back(out);
                                    return plan;
                                },
                                kExitFailed, "", "Cannot flush file"}),
    [](const testing::TestParamInfo<OutcomeCase>& info) { return info.param.name; });

TEST(MissingSourceTest, CreatesNoTarget) {
    const TempDir folder;
    const auto run = RunImage({folder.File("none.img"), folder.File("out.img")});
    EXPECT_EQ(run.status, kExitFailed);
    EXPECT_FALSE(std::filesystem::exists(folder.File("out.img")));
}

}  // namespace
