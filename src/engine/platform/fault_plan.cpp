// The installed fault plan and the verdicts the layer asks of it.
#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/platform/fault_checks.h"
#include "engine/platform/fault_plan.h"

namespace win {
namespace {

std::mutex planMutex;
std::shared_ptr<const FaultPlan> installedPlan;
std::atomic<bool> planInstalled{false};
// For each bad read range of the installed plan: how often it has failed a read.
std::vector<int> readFailures;

std::shared_ptr<const FaultPlan> Plan() {
    std::lock_guard lock(planMutex);
    return installedPlan;
}

// A call from `position` that reaches a fault beginning at `begin`: it fails when it starts at
// or past that byte or may not be cut short (true, `verdict` says so); otherwise it may move
// only the bytes before it, the nearest fault counting.
bool Meet(faults::Verdict& verdict, std::int64_t position, std::int64_t begin, bool cutShort,
          DWORD error) {
    if (position >= begin || !cutShort) {
        verdict = faults::Verdict{true, 0, error};
        return true;
    }
    const auto before = static_cast<DWORD>(begin - position);
    if (before < verdict.allowed) {
        verdict.allowed = before;
        verdict.error = error;
    }
    return false;
}

// True when the flaky range `index` has failed as often as it was to fail; otherwise counts
// this read as one more failure.
bool Healed(const std::shared_ptr<const FaultPlan>& plan, std::size_t index) {
    const int failures = plan->badReads[index].failures;
    if (failures <= 0) {
        return false;
    }
    std::lock_guard lock(planMutex);
    if (plan != installedPlan || index >= readFailures.size()) {
        return false;
    }
    if (readFailures[index] >= failures) {
        return true;
    }
    ++readFailures[index];
    return false;
}

}  // namespace

void SetFaultPlan(std::optional<FaultPlan> plan) {
    std::lock_guard lock(planMutex);
    installedPlan = plan ? std::make_shared<const FaultPlan>(std::move(*plan)) : nullptr;
    readFailures.assign(installedPlan ? installedPlan->badReads.size() : 0, 0);
    planInstalled = installedPlan != nullptr;
}

namespace faults {

bool PlanInstalled() {
    return planInstalled.load(std::memory_order_relaxed);
}

Verdict CheckRead(const std::string& path, std::int64_t position, DWORD count) {
    Verdict verdict{false, count, 0};
    const auto plan = Plan();
    if (!plan) {
        return verdict;
    }
    const std::int64_t end = position + static_cast<std::int64_t>(count);
    for (std::size_t i = 0; i < plan->badReads.size(); ++i) {
        const FaultPlan::BadRange& range = plan->badReads[i];
        if (range.path != path || range.begin >= range.end || end <= range.begin ||
            position >= range.end || Healed(plan, i)) {
            continue;
        }
        if (Meet(verdict, position, range.begin, range.shortRead, range.error)) {
            return verdict;
        }
    }
    return verdict;
}

Verdict CheckWrite(const std::string& path, std::int64_t position, DWORD count) {
    Verdict verdict{false, count, 0};
    const auto plan = Plan();
    if (!plan) {
        return verdict;
    }
    const std::int64_t end = position + static_cast<std::int64_t>(count);
    for (const FaultPlan::WriteFault& fault : plan->badWrites) {
        if (fault.path != path || end <= fault.offset) {
            continue;
        }
        if (Meet(verdict, position, fault.offset, fault.shortWrite, fault.error)) {
            return verdict;
        }
    }
    return verdict;
}

void DelayRead(const std::string& path) {
    const auto plan = Plan();
    if (plan && plan->readDelay.count() > 0 && plan->slowPath == path) {
        std::this_thread::sleep_for(plan->readDelay);
    }
}

bool FlushFails(const std::string& path) {
    const auto plan = Plan();
    return plan &&
           std::find(plan->failFlush.begin(), plan->failFlush.end(), path) != plan->failFlush.end();
}

}  // namespace faults
}  // namespace win
