#pragma once
// The progress bar that follows the gauge on a terminal.

#include <cstdint>
#include <string>
#include <vector>

namespace kvqor::cli {

// One port's gauge as the bar sees it.
struct ProgressView {
    std::string label;  // the port
    std::string text;   // the result line being written (e.g. "Program.......1A40")
    bool visible = false;
    std::uint16_t value = 0;
    std::uint16_t max = 0;
};

// Percent of the gauge, 0 to 100.
int Percent(const ProgressView& view);

// The bar's line, at most `width` - 1 characters so the cursor never wraps; empty when no gauge
// is shown. One port: its line text, a bar and the percentage. Several: label and percentage each.
std::string RenderProgress(const std::vector<ProgressView>& ports, int width);

}  // namespace kvqor::cli
