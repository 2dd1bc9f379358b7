// The installed fault plan and the verdicts the layer asks of it.
#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

#include "engine/platform/fault_checks.h"
#include "engine/platform/fault_plan.h"

namespace win {
namespace {

std::mutex planMutex;
std::shared_ptr<const FaultPlan> installedPlan;
std::atomic<bool> planInstalled{false};

std::shared_ptr<const FaultPlan> Plan() {
    std::lock_guard lock(planMutex);
    return installedPlan;
}

}  // namespace

void SetFaultPlan(std::optional<FaultPlan> plan) {
    std::lock_guard lock(planMutex);
    installedPlan = plan ? std::make_shared<const FaultPlan>(std::move(*plan)) : nullptr;
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
    for (const FaultPlan::BadRange& range : plan->badReads) {
        if (range.path != path || range.begin >= range.end || end <= range.begin ||
            position >= range.end) {
            continue;
        }
        if (position >= range.begin || !range.shortRead) {
            return Verdict{true, 0, range.error};
        }
        const auto before = static_cast<DWORD>(range.begin - position);
        if (before < verdict.allowed) {
            verdict.allowed = before;
            verdict.error = range.error;
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
        if (!fault.shortWrite || position >= fault.offset) {
            return Verdict{true, 0, fault.error};
        }
        const auto before = static_cast<DWORD>(fault.offset - position);
        if (before < verdict.allowed) {
            verdict.allowed = before;
            verdict.error = fault.error;
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
