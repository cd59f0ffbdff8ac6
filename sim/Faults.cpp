#include "sim/Faults.h"

#include <array>
#include <charconv>
#include <utility>

#include "link/Hex.h"

namespace kvqor::sim {

namespace {

struct ExchangeEntry {
    Exchange exchange;
    std::string_view name;
    int opcode;  // -1 for Any
};

constexpr std::array<ExchangeEntry, 11> kExchanges{{
    {Exchange::Any, "any", -1},
    {Exchange::Identify, "identify", 0x0D},
    {Exchange::Erase, "erase", 0x05},
    {Exchange::BlankCheck, "blank", 0x0A},
    {Exchange::Program, "program", 0x01},
    {Exchange::Verify, "verify", 0x0C},
    {Exchange::Read, "read", 0x06},
    {Exchange::Lock, "lock", 0x03},
    {Exchange::ReadFuse, "readfuse", 0x09},
    {Exchange::ReadLock, "readlock", 0x08},
    {Exchange::WriteFuse, "writefuse", 0x04},
}};

struct KindEntry {
    FaultKind kind;
    std::string_view name;
};

constexpr std::array<KindEntry, 9> kKinds{{
    {FaultKind::Silence, "silence"},
    {FaultKind::Delay, "delay"},
    {FaultKind::Nak, "nak"},
    {FaultKind::Byte, "byte"},
    {FaultKind::Garbage, "garbage"},
    {FaultKind::BadChecksum, "badsum"},
    {FaultKind::NonHex, "nonhex"},
    {FaultKind::LowerCase, "lower"},
    {FaultKind::DropLine, "drop"},
}};

std::string_view KindName(FaultKind k) {
    for (const auto& e : kKinds) {
        if (e.kind == k)
            return e.name;
    }
    return "?";
}

// Exchanges that go on after their first answer: block transfers and the identification.
bool HasVerdict(Exchange e) {
    return e == Exchange::Any || e == Exchange::Identify || e == Exchange::Program || e == Exchange::Verify ||
           e == Exchange::Read;
}
bool HasBlocks(Exchange e) {
    return e == Exchange::Any || e == Exchange::Program || e == Exchange::Verify || e == Exchange::Read;
}

template <typename T>
bool ParseNumber(std::string_view text, T& out) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

// splitmix64: tiny, and the same sequence on every platform and library.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // Uniform in [lo, hi].
    std::int64_t Between(std::int64_t lo, std::int64_t hi) {
        if (hi <= lo)
            return lo;
        return lo + static_cast<std::int64_t>(Next() % static_cast<std::uint64_t>(hi - lo + 1));
    }
    template <typename T>
    const T& Pick(const std::vector<T>& v) {
        return v[static_cast<std::size_t>(Between(0, static_cast<std::int64_t>(v.size()) - 1))];
    }

private:
    std::uint64_t state_;
};

}  // namespace

std::string_view ExchangeName(Exchange e) {
    for (const auto& x : kExchanges) {
        if (x.exchange == e)
            return x.name;
    }
    return "?";
}

std::optional<Exchange> ExchangeFromName(std::string_view name) {
    for (const auto& x : kExchanges) {
        if (x.name == name)
            return x.exchange;
    }
    return std::nullopt;
}

Exchange ExchangeForOpcode(std::uint8_t opcode) {
    for (const auto& x : kExchanges) {
        if (x.opcode == opcode)
            return x.exchange;
    }
    return Exchange::Any;
}

namespace {
Fault Make(FaultKind kind, FaultPoint at) {
    Fault f;
    f.kind = kind;
    f.at = at;
    return f;
}
}  // namespace

Fault Silence(FaultPoint at) {
    return Make(FaultKind::Silence, at);
}
Fault Delayed(FaultPoint at, Micros delay) {
    Fault f = Make(FaultKind::Delay, at);
    f.delay = delay;
    return f;
}
Fault NakWith(FaultPoint at, std::string report) {
    Fault f = Make(FaultKind::Nak, at);
    f.text = std::move(report);
    return f;
}
Fault ByteInstead(FaultPoint at, std::uint8_t byte) {
    Fault f = Make(FaultKind::Byte, at);
    f.byte = byte;
    return f;
}
Fault GarbageBefore(FaultPoint at, std::string bytes) {
    Fault f = Make(FaultKind::Garbage, at);
    f.text = std::move(bytes);
    return f;
}
Fault WrongChecksum(FaultPoint at) {
    return Make(FaultKind::BadChecksum, at);
}
Fault NonHexAt(FaultPoint at, std::size_t position, std::uint8_t c) {
    Fault f = Make(FaultKind::NonHex, at);
    f.position = position;
    f.byte = c;
    return f;
}
Fault LowerCase(FaultPoint at) {
    return Make(FaultKind::LowerCase, at);
}
Fault DropLineAfter(FaultPoint at, std::size_t chars) {
    Fault f = Make(FaultKind::DropLine, at);
    f.position = chars;
    return f;
}

bool CanStrike(FaultKind kind, AnswerShape shape) {
    switch (kind) {
        case FaultKind::BadChecksum:
            return shape.checksum;
        case FaultKind::NonHex:
        case FaultKind::LowerCase:
            return shape.hexText;
        default:
            return true;
    }
}

AnswerShape ShapeAt(FaultPoint point) {
    switch (point.exchange) {
        case Exchange::Identify:
            return point.reply == 0 ? AnswerShape{true, true} : AnswerShape{};
        case Exchange::Read:
            return point.reply >= 0 ? AnswerShape{true, true} : AnswerShape{};
        case Exchange::ReadFuse:
        case Exchange::ReadLock:
            return point.reply == 0 ? AnswerShape{true, false} : AnswerShape{};
        default:
            return {};
    }
}

std::string Describe(const Fault& f) {
    std::string s(KindName(f.kind));
    s += ",at=" + std::string(ExchangeName(f.at.exchange));
    s += ",reply=" + (f.at.reply == kVerdict ? std::string("verdict") : std::to_string(f.at.reply));
    switch (f.kind) {
        case FaultKind::Delay:
            s += f.delay % kMicrosPerMilli == 0 ? ",ms=" + std::to_string(f.delay / kMicrosPerMilli)
                                                : ",us=" + std::to_string(f.delay);
            break;
        case FaultKind::Nak:
        case FaultKind::Garbage:
            s += ",text=" + f.text;
            break;
        case FaultKind::Byte:
            s += ",byte=" + HexByteToStr2(f.byte);
            break;
        case FaultKind::NonHex:
            s += ",after=" + std::to_string(f.position) + ",byte=" + HexByteToStr2(f.byte);
            break;
        case FaultKind::DropLine:
            s += ",after=" + std::to_string(f.position);
            break;
        default:
            break;
    }
    if (f.times != 1)
        s += ",times=" + std::to_string(f.times);
    if (f.skip != 0)
        s += ",skip=" + std::to_string(f.skip);
    return s;
}

std::optional<Fault> ParseFault(std::string_view faultText, std::string& error) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t comma = faultText.find(',', start);
        parts.push_back(
            faultText.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    Fault f;
    bool known = false;
    for (const auto& k : kKinds) {
        if (k.name == parts[0]) {
            f.kind = k.kind;
            known = true;
        }
    }
    if (!known) {
        error = "unknown fault kind '" + std::string(parts[0]) +
                "' (silence, delay, nak, byte, garbage, badsum, nonhex, lower, drop)";
        return std::nullopt;
    }
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const std::string_view part = parts[i];
        const std::size_t eq = part.find('=');
        if (eq == std::string_view::npos) {
            error = "expected key=value, got '" + std::string(part) + "'";
            return std::nullopt;
        }
        const std::string_view key = part.substr(0, eq);
        const std::string_view value = part.substr(eq + 1);
        bool ok = true;
        if (key == "at") {
            const auto e = ExchangeFromName(value);
            ok = e.has_value();
            if (ok)
                f.at.exchange = *e;
        } else if (key == "reply") {
            if (value == "verdict") {
                f.at.reply = kVerdict;
            } else {
                ok = ParseNumber(value, f.at.reply) && f.at.reply >= 0;
            }
        } else if (key == "text") {
            f.text = std::string(value);
        } else if (key == "byte") {
            ok = value.size() == 2 && HEX(value[0]) && HEX(value[1]);
            if (ok)
                f.byte = HexStr2ToByte(value);
        } else if (key == "after") {
            ok = ParseNumber(value, f.position);
        } else if (key == "ms") {
            ok = ParseNumber(value, f.delay) && f.delay >= 0;
            f.delay *= kMicrosPerMilli;
        } else if (key == "us") {
            ok = ParseNumber(value, f.delay) && f.delay >= 0;
        } else if (key == "times") {
            ok = ParseNumber(value, f.times) && f.times >= 0;
        } else if (key == "skip") {
            ok = ParseNumber(value, f.skip) && f.skip >= 0;
        } else {
            error =
                "unknown key '" + std::string(key) + "' (at, reply, text, byte, after, ms, us, times, skip)";
            return std::nullopt;
        }
        if (!ok) {
            error = "bad value for " + std::string(key) + ": '" + std::string(value) + "'";
            return std::nullopt;
        }
    }
    return f;
}

FaultPlan& FaultPlan::Add(Fault fault) {
    armed_.push_back(std::move(fault));
    return *this;
}

void FaultPlan::Clear() {
    armed_.clear();
    fired_.clear();
}

std::optional<Fault> FaultPlan::Strike(FaultPoint point, AnswerShape shape, std::string_view command,
                                       Micros now) {
    std::optional<Fault> struck;
    for (auto it = armed_.begin(); it != armed_.end();) {
        const bool matches = (it->at.exchange == Exchange::Any || it->at.exchange == point.exchange) &&
                             it->at.reply == point.reply && CanStrike(it->kind, shape);
        if (!matches || struck) {
            ++it;
            continue;
        }
        if (it->skip > 0) {
            --it->skip;
            ++it;
            continue;
        }
        struck = *it;
        fired_.push_back({*it, std::string(command), now});
        if (it->times == 1) {
            it = armed_.erase(it);
            continue;
        }
        if (it->times > 1)
            --it->times;
        ++it;
    }
    return struck;
}

FaultPlan RandomFaultPlan(std::uint64_t seed, const RandomFaultSettings& settings) {
    Rng rng(seed);
    std::vector<Exchange> exchanges = settings.exchanges;
    if (exchanges.empty())
        exchanges.push_back(Exchange::Any);
    std::vector<FaultKind> kinds = settings.kinds;
    if (kinds.empty()) {
        for (const auto& k : kKinds)
            kinds.push_back(k.kind);
    }

    FaultPlan plan;
    const auto count = rng.Between(settings.minFaults, settings.maxFaults);
    for (std::int64_t n = 0; n < count; ++n) {
        Fault f;
        f.at.exchange = rng.Pick(exchanges);
        if (HasVerdict(f.at.exchange) && rng.Between(0, 4) == 0) {
            f.at.reply = kVerdict;
        } else {
            f.at.reply = HasBlocks(f.at.exchange) ? static_cast<int>(rng.Between(0, settings.maxReply)) : 0;
        }
        const AnswerShape shape = ShapeAt(f.at);
        std::vector<FaultKind> usable;
        for (FaultKind k : kinds) {
            if (CanStrike(k, shape))
                usable.push_back(k);
        }
        if (usable.empty())
            continue;
        f.kind = rng.Pick(usable);
        f.skip = static_cast<int>(rng.Between(0, settings.maxSkip));
        switch (f.kind) {
            case FaultKind::Delay:
                f.delay = rng.Between(1, settings.maxDelay);
                break;
            case FaultKind::Nak: {
                static constexpr std::string_view kReports[] = {"E001", "0123", "FAIL", "E0", ""};
                f.text = std::string(kReports[rng.Between(0, 4)]);
                break;
            }
            case FaultKind::Byte:
                f.byte = static_cast<std::uint8_t>(rng.Between(0, 255));
                break;
            case FaultKind::Garbage:
                for (auto len = rng.Between(1, 3); len > 0; --len) {
                    f.text.push_back(static_cast<char>(rng.Between(0, 255)));
                }
                break;
            case FaultKind::NonHex:
                f.position = static_cast<std::size_t>(rng.Between(0, 129));
                f.byte = static_cast<std::uint8_t>(rng.Pick(std::vector<int>{'G', 'z', ':', ' ', 0x7F}));
                break;
            case FaultKind::DropLine:
                f.position = static_cast<std::size_t>(rng.Between(0, 12));
                break;
            default:
                break;
        }
        plan.Add(std::move(f));
    }
    return plan;
}

}  // namespace kvqor::sim
