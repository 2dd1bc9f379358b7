#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/errors.h"
#include "engine/map_file.h"
#include "engine/rescue_map.h"

namespace {

// The runs of a map as text: "first+count state" for each, e.g. "0+4+ 4+2- 6+4?".
std::string Runs(const RescueMap& map) {
    std::string text;
    map.ForEachRun([&](const SectorRun& run) {
        text += (text.empty() ? "" : " ") + std::to_string(run.first) + "+" +
                std::to_string(run.count) + static_cast<char>(run.state);
    });
    return text;
}

struct MarkCase {
    const char* name;
    std::vector<SectorRun> marks;  // applied in order to a map of 10 sectors
    std::string runs;
};

void PrintTo(const MarkCase& c, std::ostream* os) {
    *os << c.name;
}

class RescueMapMarks : public testing::TestWithParam<MarkCase> {};

TEST_P(RescueMapMarks, KeepOneStatePerSectorInMergedRuns) {
    RescueMap map(10);
    for (const SectorRun& mark : GetParam().marks) {
        map.Mark(mark.first, mark.count, mark.state);
    }
    EXPECT_EQ(Runs(map), GetParam().runs);
}

constexpr auto kCopied = SectorState::Copied;
constexpr auto kBad = SectorState::Unreadable;
constexpr auto kScrape = SectorState::NotScraped;
constexpr auto kNew = SectorState::NotTried;

INSTANTIATE_TEST_SUITE_P(
    Cases, RescueMapMarks,
    testing::Values(MarkCase{"Fresh", {}, "0+10?"},
                    MarkCase{"Front", {{0, 4, kCopied}}, "0+4+ 4+6?"},
                    MarkCase{"Middle", {{3, 2, kBad}}, "0+3? 3+2- 5+5?"},
                    MarkCase{"MergesWithBothNeighbours",
                             {{0, 3, kCopied}, {5, 5, kCopied}, {3, 2, kCopied}},
                             "0+10+"},
                    MarkCase{"OverlapsSeveralRuns",
                             {{0, 2, kCopied}, {2, 2, kBad}, {4, 2, kScrape}, {1, 4, kNew}},
                             "0+1+ 1+4? 5+1* 6+4?"},
                    MarkCase{
                        "ClippedToTheMap", {{-3, 5, kCopied}, {8, 100, kBad}}, "0+2+ 2+6? 8+2-"},
                    MarkCase{"EmptyMarkChangesNothing", {{4, 0, kBad}}, "0+10?"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RescueMap, NextRunStartsAtTheCursorAndCounts) {
    RescueMap map(10);
    map.Mark(2, 3, kBad);
    map.Mark(7, 1, kBad);
    ASSERT_TRUE(map.NextRun(kBad).has_value());
    EXPECT_EQ(map.NextRun(kBad)->first, 2);
    EXPECT_EQ(map.NextRun(kBad, 3)->first, 3);
    EXPECT_EQ(map.NextRun(kBad, 3)->count, 2);
    EXPECT_EQ(map.NextRun(kBad, 5)->first, 7);
    EXPECT_FALSE(map.NextRun(kBad, 8).has_value());
    EXPECT_EQ(map.Count(kBad), 4);
    EXPECT_EQ(map.FirstPending(), 0);
    map.Mark(0, 2, kCopied);
    EXPECT_EQ(map.FirstPending(), 5);
}

const MapIdentity kIdentity{"/src/disk.img", "/out/copy.img", 10 * 520 + 7, 520, 0};

TEST(MapFile, WritesRunsAsSourceBytesAndReadsThemBack) {
    RescueMap map(10);
    map.Mark(0, 4, kCopied);
    map.Mark(4, 1, kBad);
    map.Mark(5, 2, kScrape);
    const std::string text = FormatMapFile(kIdentity, map);
    EXPECT_NE(text.find("source /src/disk.img\ntarget /out/copy.img\nsource-size 5207\n"
                        "sector-size 520\nstart 0\n"
                        "0x000000000000 0x000000000820 +\n"
                        "0x000000000820 0x000000000208 -\n"
                        "0x000000000a28 0x000000000410 *\n"
                        "0x000000000e38 0x000000000618 ?\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(Runs(ParseMapFile(text, kIdentity, "map")), Runs(map));
}

struct ForeignCase {
    const char* name;
    MapIdentity identity;
    const char* says;
};

class ForeignMaps : public testing::TestWithParam<ForeignCase> {};

TEST_P(ForeignMaps, AreRefusedNamingWhatDiffers) {
    const std::string text = FormatMapFile(kIdentity, RescueMap(10));
    try {
        ParseMapFile(text, GetParam().identity, "run.map");
        FAIL() << "a map of another copy was taken";
    } catch (const EMapError& e) {
        EXPECT_NE(e.Message().find("belongs to another copy: its " + std::string(GetParam().says)),
                  std::string::npos)
            << e.Message();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ForeignMaps,
    testing::Values(
        ForeignCase{"Source", {"/src/other.img", "/out/copy.img", 5207, 520, 0}, "source is"},
        ForeignCase{"Target", {"/src/disk.img", "/out/b.img", 5207, 520, 0}, "target is"},
        ForeignCase{"Size", {"/src/disk.img", "/out/copy.img", 5208, 520, 0}, "source-size is"},
        ForeignCase{
            "SectorSize", {"/src/disk.img", "/out/copy.img", 5207, 512, 0}, "sector-size is"},
        ForeignCase{"Start", {"/src/disk.img", "/out/copy.img", 5207, 520, 520}, "start is"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MapFile, TextThatIsNoMapIsRefused) {
    const std::string good = FormatMapFile(kIdentity, RescueMap(10));
    const std::string header = good.substr(0, good.find("0x"));
    for (const std::string& text : {
             std::string("hello\n"),
             header,                                     // no runs
             header + "0x0 0x820 +\n",                   // runs end before the last sector
             header + "0x0 0x1450 +\n0x1450 0x208 ?\n",  // beyond the last sector
             header + "0x0 0x820 +\n0x828 0xc30 ?\n",    // a gap
             header + "0x0 0x821 +\n0x821 0xc2f ?\n",    // not whole sectors
             header + "0x0 0x1450 !\n",                  // unknown state
             good.substr(good.find("target")),           // a header line missing
         }) {
        EXPECT_THROW(ParseMapFile(text, kIdentity, "run.map"), EMapError) << text;
    }
}

}  // namespace
