#include "link/PortName.h"

#include <cctype>

namespace kvqor {

int ComNumber(std::string_view name) {
    if (name.size() != 4)
        return 0;
    auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
    if (lower(name[0]) != 'c' || lower(name[1]) != 'o' || lower(name[2]) != 'm')
        return 0;
    if (name[3] < '1' || name[3] > '4')
        return 0;
    return name[3] - '0';
}

std::string SystemPortPath(std::string_view name) {
    if (const int n = ComNumber(name); n != 0)
        return "/dev/ttyS" + std::to_string(n - 1);
    if (name.find('/') != std::string_view::npos)
        return std::string(name);
    return "/dev/" + std::string(name);
}

std::string PortLabel(std::string_view name) {
    if (const int n = ComNumber(name); n != 0)
        return "Com" + std::to_string(n);
    return std::string(name);
}

}  // namespace kvqor
