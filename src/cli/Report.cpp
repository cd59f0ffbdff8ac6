#include "cli/Report.h"

#include <algorithm>
#include <chrono>
#include <ctime>

namespace kvqor::cli {

namespace {

bool IsPrintable(unsigned char c) {
    return c >= 0x20 && c < 0x7F;
}

std::string_view OutcomeName(PortOutcome outcome) {
    switch (outcome) {
        case PortOutcome::Ran:
            return "ran";
        case PortOutcome::OpenFailed:
            return "open-failed";
        case PortOutcome::NotFound:
            return "not-found";
        case PortOutcome::Interrupted:
            return "interrupted";
    }
    return {};
}

// Appends `"key": ` to `out`.
void Key(std::string& out, std::string_view key) {
    out += JsonString(key);
    out += ": ";
}

void StringArray(std::string& out, const std::vector<std::string>& items) {
    out += '[';
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            out += ", ";
        out += JsonString(items[i]);
    }
    out += ']';
}

}  // namespace

int PortResult::ExitStatus() const {
    if (outcome == PortOutcome::OpenFailed || outcome == PortOutcome::NotFound)
        return 3;
    if (outcome == PortOutcome::Interrupted)
        return 1;
    if (!saveError.empty())
        return 1;
    if (expectsPasses && passes.empty())
        return 1;
    const bool anyFailed =
        std::any_of(passes.begin(), passes.end(), [](const PassRecord& p) { return !p.passed; });
    return anyFailed ? 1 : 0;
}

int WorstExitStatus(const std::vector<PortResult>& results) {
    int worst = 0;
    for (const PortResult& r : results)
        worst = std::max(worst, r.ExitStatus());
    return worst;
}

std::string Printable(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (!IsPrintable(static_cast<unsigned char>(c)))
            c = '.';
    }
    return out;
}

std::string PassText(const PassRecord& pass, std::string_view prefix) {
    std::string out;
    auto line = [&](std::string_view text) {
        out += prefix;
        out += Printable(text);
        out += '\n';
    };
    for (const std::string& l : pass.lines)
        line(l);
    if (pass.counted) {
        line("Success : " + std::to_string(pass.passTotal));
        line("Failure : " + std::to_string(pass.failTotal));
    }
    if (!pass.checksum.empty())
        line("Checksum : " + pass.checksum);
    return out;
}

std::string JsonString(std::string_view text) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out = "\"";
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (IsPrintable(c)) {
            out += ch;
        } else {
            out += "\\u00";
            out += kDigits[c >> 4];
            out += kDigits[c & 0x0F];
        }
    }
    out += '"';
    return out;
}

std::string JsonReport(const JobInfo& job, const std::vector<PortResult>& results) {
    std::string out = "{\n  ";
    Key(out, "command");
    out += JsonString(CommandName(job.command));
    if (!job.device.empty()) {
        out += ",\n  ";
        Key(out, "device");
        out += JsonString(job.device);
    }
    if (!job.file.empty()) {
        out += ",\n  ";
        Key(out, "file");
        out += JsonString(job.file);
    }
    if (!job.checksum.empty()) {
        out += ",\n  ";
        Key(out, "checksum");
        out += JsonString(job.checksum);
    }
    out += ",\n  ";
    Key(out, "exitStatus");
    out += std::to_string(WorstExitStatus(results));
    out += ",\n  ";
    Key(out, "ports");
    out += "[";
    for (std::size_t i = 0; i < results.size(); ++i) {
        const PortResult& r = results[i];
        out += i == 0 ? "\n    {" : ",\n    {";
        Key(out, "port");
        out += JsonString(r.name);
        out += ", ";
        Key(out, "label");
        out += JsonString(r.label);
        out += ", ";
        Key(out, "outcome");
        out += JsonString(OutcomeName(r.outcome));
        out += ", ";
        Key(out, "exitStatus");
        out += std::to_string(r.ExitStatus());
        if (!r.error.empty()) {
            out += ", ";
            Key(out, "error");
            out += JsonString(r.error);
        }
        if (!r.biosCode.empty()) {
            out += ", ";
            Key(out, "biosCode");
            out += JsonString(r.biosCode);
        }
        if (!r.savedFile.empty()) {
            out += ", ";
            Key(out, "savedFile");
            out += JsonString(r.savedFile);
        }
        if (!r.saveError.empty()) {
            out += ", ";
            Key(out, "saveError");
            out += JsonString(r.saveError);
        }
        if (r.expectsPasses) {
            out += ",\n     ";
            Key(out, "passes");
            out += "[";
            for (std::size_t k = 0; k < r.passes.size(); ++k) {
                const PassRecord& p = r.passes[k];
                out += k == 0 ? "\n       {" : ",\n       {";
                Key(out, "passed");
                out += p.passed ? "true" : "false";
                out += ", ";
                Key(out, "time");
                out += JsonString(p.time);
                out += ", ";
                Key(out, "lines");
                StringArray(out, p.lines);
                if (p.counted) {
                    out += ", ";
                    Key(out, "success");
                    out += std::to_string(p.passTotal);
                    out += ", ";
                    Key(out, "failure");
                    out += std::to_string(p.failTotal);
                }
                if (!p.checksum.empty()) {
                    out += ", ";
                    Key(out, "checksum");
                    out += JsonString(p.checksum);
                }
                out += "}";
            }
            out += r.passes.empty() ? "]" : "\n     ]";
        }
        out += "}";
    }
    out += results.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
    return out;
}

std::string WallClockNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[40] = {};
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local);
    return text;
}

}  // namespace kvqor::cli
