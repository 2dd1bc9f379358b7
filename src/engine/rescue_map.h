// Which source sectors of a copy are copied, unreadable or still to be read.
#pragma once

#include <cstdint>
#include <iterator>
#include <map>
#include <optional>

// The state of one run of source sectors.
enum class SectorState : char {
    NotTried = '?',    // not read yet
    NotScraped = '*',  // a read over it failed: to be read again sector by sector
    Unreadable = '-',  // could not be read; written as zeros
    Copied = '+',      // read and written
};

// A run of sectors [first, first + count) in one state.
struct SectorRun {
    std::int64_t first = 0;
    std::int64_t count = 0;
    SectorState state = SectorState::NotTried;
};

// The states of sectors 0 to Sectors() - 1, kept as runs. Every sector has exactly one state;
// neighbouring runs of one state are merged.
class RescueMap {
  public:
    // A map of `sectors` sectors, all not tried.
    explicit RescueMap(std::int64_t sectors);

    std::int64_t Sectors() const { return sectors_; }

    // Sets sectors [first, first + count), clipped to the map, to `state`.
    void Mark(std::int64_t first, std::int64_t count, SectorState state);

    // The state of one sector (0 <= sector < Sectors()).
    SectorState StateOf(std::int64_t sector) const;

    // The first run in `state` that ends after `from`, cut to begin at `from` at the earliest.
    std::optional<SectorRun> NextRun(SectorState state, std::int64_t from = 0) const;

    // The runs in order, for writing the map out.
    template <typename Visit>
    void ForEachRun(Visit visit) const {
        for (auto it = runs_.begin(); it != runs_.end(); ++it) {
            const auto next = std::next(it);
            const std::int64_t end = next == runs_.end() ? sectors_ : next->first;
            visit(SectorRun{it->first, end - it->first, it->second});
        }
    }

    // The number of sectors in `state`.
    std::int64_t Count(SectorState state) const;

    // The first sector that is not copied and not given up as unreadable, or Sectors().
    std::int64_t FirstPending() const;

  private:
    void SplitAt(std::int64_t sector);
    void MergeAround(std::int64_t sector);

    std::int64_t sectors_;
    std::map<std::int64_t, SectorState> runs_;  // run start -> state; a run lasts to the next
};
