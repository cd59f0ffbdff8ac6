#pragma once
// A command line checked against the catalogue, the files and the ports, before anything is sent
// to a programmer: the part chosen, the file loaded, the ports named. Every port's session starts
// from a copy of this, so all programmers of a run get exactly the same data.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CliOptions.h"
#include "device/Workspace.h"
#include "ops/Texts.h"

namespace kvqor::cli {

struct JobRequest {
    CliOptions options;
    std::optional<Operation> operation;  // for the device operations
    Workspace workspace;                 // part chosen, file loaded
    std::vector<std::string> labels;     // one per port, in command-line order
    std::vector<std::string> notes;  // what the window would show in a box on the way (the adapter prompt)
};

// The catalogue index of a part, its name taken in any case ("at89c51").
std::optional<std::size_t> FindPart(std::string_view name);

// Loads `path` into `workspace` as File > Open does, but takes only a clean file: one that opens,
// reads to its end, holds data records, has no line the reader stops at and no record with a
// wrong checksum. With `refuseOverEnd` a file that ends beyond the chosen part is refused as
// well; otherwise it is a warning. False with the reason in `error`.
bool LoadCleanHexFile(Workspace& workspace, const std::string& path, bool refuseOverEnd, std::string& error,
                      std::vector<std::string>& warnings);

// The labels ports are reported under: "Com1".."Com4" for those names, the name as given
// otherwise; several simulated programmers are told apart as sim1, sim2, ...
std::vector<std::string> PortLabels(const std::vector<std::string>& ports,
                                    const std::function<bool(std::string_view)>& isSimulator);

// Checks `options` (already parsed) and prepares the job. `isSimulator` tells the ports that open
// a simulated programmer of their own each time, which may be named more than once. False with
// the problem in `error`.
std::optional<JobRequest> PrepareJob(const CliOptions& options,
                                  const std::function<bool(std::string_view)>& isSimulator,
                                  std::string& error);

}  // namespace kvqor::cli
