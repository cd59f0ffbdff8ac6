#include "cli/Cli.h"

#include <cstdio>
#include <memory>

#include "cli/CliOptions.h"
#include "cli/JobRequest.h"
#include "cli/PassLog.h"
#include "cli/PortJob.h"
#include "cli/Report.h"
#include "cli/TraceLog.h"
#include "device/Catalogue.h"
#include "fuse/FuseLayout.h"
#include "link/Hex.h"

namespace kvqor::cli {

namespace {

int UsageError(CliEnvironment& env, const std::string& why) {
    env.Err() << "kvqor-cli: " << why << "\nTry 'kvqor-cli --help'.\n";
    return 2;
}

int InputError(CliEnvironment& env, const std::string& why) {
    env.Err() << "kvqor-cli: " << why << "\n";
    return 2;
}

int PrintDevices(CliEnvironment& env, bool json) {
    std::ostream& out = env.Out();
    if (json) {
        out << "{\n  \"command\": \"devices\",\n  \"devices\": [";
        for (std::size_t i = 0; i < DeviceTable.size(); ++i) {
            const StructureDevice& d = DeviceTable[i];
            out << (i == 0 ? "\n    {" : ",\n    {") << "\"name\": " << JsonString(d.DeviceName)
                << ", \"algorithm\": " << JsonString(d.DeviceAlgo) << ", \"vpp\": " << JsonString(d.DeviceVpp)
                << ", \"signature\": " << JsonString(d.DeviceSignature)
                << ", \"end\": " << JsonString(std::string(d.DeviceEnd) + "H")
                << ", \"lockBits\": " << HexStr4ToWord(d.DeviceLockBits)
                << ", \"code\": " << JsonString(d.DeviceCode)
                << ", \"fuses\": " << (FindFuseLayout(d.DeviceCode) != nullptr ? "true" : "false") << "}";
        }
        out << "\n  ]\n}\n";
        return 0;
    }
    for (const StructureDevice& d : DeviceTable) {
        char line[120];
        std::snprintf(
            line, sizeof line, "%-9.*s  %-7.*s  %.*s  end %.*sH  lock bits %d  code %.*s%s\n",
            static_cast<int>(d.DeviceName.size()), d.DeviceName.data(), static_cast<int>(d.DeviceAlgo.size()),
            d.DeviceAlgo.data(), static_cast<int>(d.DeviceVpp.size()), d.DeviceVpp.data(),
            static_cast<int>(d.DeviceEnd.size()), d.DeviceEnd.data(),
            static_cast<int>(HexStr4ToWord(d.DeviceLockBits)), static_cast<int>(d.DeviceCode.size()),
            d.DeviceCode.data(), FindFuseLayout(d.DeviceCode) != nullptr ? "  fuses" : "");
        out << line;
    }
    return 0;
}

int Dump(CliEnvironment& env, const JobRequest& job) {
    std::ostream& out = env.Out();
    const std::vector<std::string> rows = job.workspace.ShowHexData();
    if (job.options.json) {
        out << "{\n  \"command\": \"dump\",\n  \"file\": " << JsonString(job.options.file);
        if (!job.options.device.empty())
            out << ",\n  \"device\": " << JsonString(job.workspace.CurName);
        out << ",\n  \"checksum\": " << JsonString(job.workspace.Buffer_Sum) << ",\n  \"rows\": [";
        for (std::size_t i = 0; i < rows.size(); ++i)
            out << (i == 0 ? "\n    " : ",\n    ") << JsonString(rows[i]);
        out << "\n  ]\n}\n";
        return 0;
    }
    for (const std::string& row : rows)
        out << row << '\n';
    return 0;
}

void PrintResults(std::ostream& out, const std::vector<PortResult>& results, bool multiPort) {
    for (const PortResult& r : results) {
        const std::string prefix = multiPort ? r.label + ": " : std::string();
        if (!r.expectsPasses) {
            if (!r.biosCode.empty())
                out << prefix << r.biosCode << '\n';
            continue;
        }
        for (const PassRecord& pass : r.passes)
            out << PassText(pass, prefix);
    }
}

}  // namespace

std::string_view CliVersion() {
    return KVQOR_VERSION;
}

int RunCli(const std::vector<std::string>& args, CliEnvironment& env) {
    const ParseResult parsed = ParseCommandLine(args);
    if (!parsed.options)
        return UsageError(env, parsed.error);
    const CliOptions& o = *parsed.options;
    if (o.help) {
        env.Out() << UsageText();
        return 0;
    }
    if (o.version) {
        env.Out() << "kvqor-cli " << CliVersion() << '\n';
        return 0;
    }
    if (o.command == Command::Devices)
        return PrintDevices(env, o.json);

    std::string error;
    auto isSimulator = [&env](std::string_view port) { return env.IsSimulatorPort(port); };
    const std::unique_ptr<JobRequest> job = [&]() -> std::unique_ptr<JobRequest> {
        auto prepared = PrepareJob(o, isSimulator, error);
        return prepared ? std::make_unique<JobRequest>(std::move(*prepared)) : nullptr;
    }();
    if (!job)
        return InputError(env, error);
    for (const std::string& note : job->notes)
        env.Err() << "kvqor-cli: note: " << note << '\n';
    if (o.command == Command::Dump)
        return Dump(env, *job);

    // Both files are opened before any port, so a bad name costs nothing on the line.
    std::unique_ptr<PassLog> log;
    if (!o.logPath.empty()) {
        log = std::make_unique<PassLog>();
        if (!log->Open(o.logPath, error))
            return InputError(env, "cannot open the log " + o.logPath + ": " + error);
    }
    std::unique_ptr<TraceLog> trace;
    if (!o.tracePath.empty()) {
        trace = std::make_unique<TraceLog>();
        if (!trace->Open(o.tracePath, error))
            return InputError(env, "cannot open the trace " + o.tracePath + ": " + error);
    }

    JobInfo info;
    info.command = o.command;
    info.device = job->workspace.CurName;
    info.file = o.file;
    if (NeedsFile(o.command))
        info.checksum = job->workspace.Buffer_Sum;

    ConsoleSettings settings;
    settings.repeat = o.repeat;
    settings.interactive = env.InIsTerminal();
    settings.progressBar = env.OutIsTerminal() && !o.json;
    settings.printPasses = !o.json;
    settings.multiPort = o.ports.size() > 1;
    settings.width = env.TerminalWidth();
    Console console(settings, env.Out(), env.Err(), job->labels);
    if (trace)
        console.OnTick([&trace] { trace->Flush(); });
    RunShared shared{*job, info, console, log.get(), trace.get()};

    std::vector<PortResult> results(o.ports.size());
    env.RunPorts(o.ports, console, o.repeat || settings.interactive,
                 [&](std::size_t i, PortBackend& backend) {
                     // A job holds a 64 KiB code buffer: on the heap rather than the thread's stack.
                     auto portJob = std::make_unique<PortJob>(shared, i, backend);
                     results[i] = portJob->Run();
                 });
    console.ClearProgress();

    if (trace && !trace->Close(error))
        env.Err() << "kvqor-cli: the trace " << o.tracePath << " is incomplete: " << error << '\n';
    if (o.json) {
        env.Out() << JsonReport(info, results);
    } else if (!o.repeat) {
        PrintResults(env.Out(), results, settings.multiPort);
    }
    env.Out().flush();
    return WorstExitStatus(results);
}

}  // namespace kvqor::cli
