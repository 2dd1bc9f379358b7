#include "engine/rescue_map.h"

#include <algorithm>
#include <iterator>

RescueMap::RescueMap(std::int64_t sectors) : sectors_(std::max<std::int64_t>(sectors, 0)) {
    if (sectors_ > 0) {
        runs_[0] = SectorState::NotTried;
    }
}

void RescueMap::SplitAt(std::int64_t sector) {
    if (sector <= 0 || sector >= sectors_ || runs_.count(sector) != 0) {
        return;
    }
    runs_[sector] = std::prev(runs_.upper_bound(sector))->second;
}

void RescueMap::MergeAround(std::int64_t sector) {
    auto it = runs_.find(sector);
    if (it == runs_.end()) {
        return;
    }
    if (it != runs_.begin() && std::prev(it)->second == it->second) {
        it = std::prev(runs_.erase(it));
    }
    const auto next = std::next(it);
    if (next != runs_.end() && next->second == it->second) {
        runs_.erase(next);
    }
}

void RescueMap::Mark(std::int64_t first, std::int64_t count, SectorState state) {
    const std::int64_t begin = std::clamp<std::int64_t>(first, 0, sectors_);
    const std::int64_t end =
        std::clamp<std::int64_t>(first + std::max<std::int64_t>(count, 0), begin, sectors_);
    if (begin == end) {
        return;
    }
    SplitAt(begin);
    SplitAt(end);
    runs_.erase(runs_.lower_bound(begin), runs_.lower_bound(end));
    runs_[begin] = state;
    if (end < sectors_) {
        MergeAround(end);
    }
    MergeAround(begin);
}

SectorState RescueMap::StateOf(std::int64_t sector) const {
    return std::prev(runs_.upper_bound(sector))->second;
}

std::optional<SectorRun> RescueMap::NextRun(SectorState state, std::int64_t from) const {
    if (from >= sectors_) {
        return std::nullopt;
    }
    auto it = runs_.upper_bound(std::max<std::int64_t>(from, 0));
    it = it == runs_.begin() ? it : std::prev(it);
    for (; it != runs_.end(); ++it) {
        if (it->second != state) {
            continue;
        }
        const auto next = std::next(it);
        const std::int64_t end = next == runs_.end() ? sectors_ : next->first;
        const std::int64_t begin = std::max(it->first, from);
        return SectorRun{begin, end - begin, state};
    }
    return std::nullopt;
}

std::int64_t RescueMap::Count(SectorState state) const {
    std::int64_t total = 0;
    ForEachRun([&](const SectorRun& run) {
        if (run.state == state) {
            total += run.count;
        }
    });
    return total;
}

std::int64_t RescueMap::FirstPending() const {
    for (const auto& [first, state] : runs_) {
        if (state == SectorState::NotTried || state == SectorState::NotScraped) {
            return first;
        }
    }
    return sectors_;
}
