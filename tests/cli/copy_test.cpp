// Copies from a file to a new file, and the failures that leave the source untouched.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "cli_fixture.h"
#include "support/image_files.h"
#include "support/temp_dir.h"

namespace {

using namespace cli_test;

struct FileCopyCase {
    std::vector<std::string> options;
    std::int32_t sectorSize;
    std::int64_t start;
    bool targetExists;  // a longer file of that name is there before the copy
};

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

TEST(FileFailureTest, MissingSourceCreatesNoTarget) {
    const TempDir folder;
    const auto run = RunImage({folder.File("none.img"), folder.File("out.img")});
    EXPECT_EQ(run.status, kExitFailed);
    EXPECT_FALSE(std::filesystem::exists(folder.File("out.img")));
}

}  // namespace
