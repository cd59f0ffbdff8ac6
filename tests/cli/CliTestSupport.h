#pragma once
// What the command-line tests share: the example firmware, the counters' lines, files and folders.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace kvqor::cli::test {

inline const std::string kExample = KVQOR_SOURCE_DIR "/examples/blink51_at89c2051.hex";

inline std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

// The two counter lines after a pass.
inline std::string Counters(int pass, int fail) {
    return "Success : " + std::to_string(pass) + "\nFailure : " + std::to_string(fail) + "\n";
}

// A fresh folder for the files the current test writes.
inline std::filesystem::path TestFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::filesystem::path folder = std::filesystem::path(::testing::TempDir()) / "kvqor-cli" /
                                         (std::string(info->test_suite_name()) + "." + info->name());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

}  // namespace kvqor::cli::test
