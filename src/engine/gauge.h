// The progress gauge gg as a plain model: three signed 32-bit values with the gauge's rules.
// The window draws it; the copy loop sets it; the tests read it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class TGauge {
  public:
    std::int32_t MinValue() const { return minValue_; }
    std::int32_t MaxValue() const { return maxValue_; }
    std::int32_t Progress() const { return progress_; }

    // A MinValue above MaxValue (or a MaxValue below MinValue) is refused with
    // EInvalidArgument "Value must be between %d and %d" and the gauge keeps its values;
    // Progress is pulled into the new range.
    void SetMinValue(std::int32_t value);
    void SetMaxValue(std::int32_t value);
    // Clamped into MinValue..MaxValue.
    void SetProgress(std::int32_t value);

    // Whole per cent of the range passed, truncated; 0 when the range is empty.
    int Percent() const;
    // The text drawn on the bar: Percent() followed by Suffix, such as "47%".
    std::string Text() const;

    std::string Suffix = "%";
    // Called after every change of a value, so the window can repaint.
    std::function<void()> OnChange;

  private:
    void Changed();

    std::int32_t minValue_ = 0;
    std::int32_t maxValue_ = 100;
    std::int32_t progress_ = 0;
};
