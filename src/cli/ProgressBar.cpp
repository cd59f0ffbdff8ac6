#include "cli/ProgressBar.h"

#include <algorithm>

#include "cli/Report.h"

namespace kvqor::cli {

int Percent(const ProgressView& view) {
    if (view.max == 0)
        return view.value == 0 ? 0 : 100;
    return static_cast<int>(std::min<std::uint32_t>(100, std::uint32_t{view.value} * 100 / view.max));
}

std::string RenderProgress(const std::vector<ProgressView>& ports, int width) {
    const auto limit = static_cast<std::size_t>(std::max(width - 1, 10));
    std::string line;
    if (ports.size() == 1) {
        const ProgressView& v = ports.front();
        if (!v.visible)
            return {};
        const int percent = Percent(v);
        const std::string text = Printable(v.text);
        const std::string tail = " " +
                                 std::string(percent < 10    ? "  "
                                             : percent < 100 ? " "
                                                             : "") +
                                 std::to_string(percent) + "%";
        // The bar takes what the text and the percentage leave, up to 40 cells.
        const std::size_t fixed = text.size() + 3 + tail.size();
        const std::size_t cells = limit > fixed ? std::min<std::size_t>(40, limit - fixed) : 0;
        line = text;
        if (cells >= 5) {
            const std::size_t done = cells * static_cast<std::size_t>(percent) / 100;
            line += " [" + std::string(done, '#') + std::string(cells - done, '.') + "]";
        }
        line += tail;
    } else {
        bool any = false;
        for (const ProgressView& v : ports) {
            if (!line.empty())
                line += "  ";
            line += Printable(v.label) + " ";
            if (v.visible) {
                any = true;
                line += std::to_string(Percent(v)) + "%";
            } else {
                line += "-";
            }
        }
        if (!any)
            return {};
    }
    if (line.size() > limit)
        line.resize(limit);
    return line;
}

}  // namespace kvqor::cli
