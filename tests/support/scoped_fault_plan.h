// A fault plan of the layer for the scope of one object.
#pragma once

#include <optional>
#include <utility>

#include "engine/platform/fault_plan.h"

class ScopedFaultPlan {
  public:
    explicit ScopedFaultPlan(win::FaultPlan plan) { win::SetFaultPlan(std::move(plan)); }
    ~ScopedFaultPlan() { win::SetFaultPlan(std::nullopt); }
    ScopedFaultPlan(const ScopedFaultPlan&) = delete;
    ScopedFaultPlan& operator=(const ScopedFaultPlan&) = delete;
};
