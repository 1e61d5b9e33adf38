#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "sim/network.h"

namespace sim {

// A network described in JSON:
//   { "description": "...",
//     "local":   { adapter },
//     "remotes": [ { adapter }, ... ],          at most 63
//     "coordinator": "00:1f:84:00:00:03" }      optional; an adapter of the network
// adapter:
//   "mac" (required), "password" (remotes only: a label password instead of the default device password),
//   "firmwareVersion" (at most 64 characters), "firmwareInfo": { "words": [6 numbers], "pairs": [[v, w], ...],
//   "lastWord", "text" }, "ledOn", "networkPassword" or "nmk" (32 hex digits) with "nid" (14 hex digits),
//   "classifierRecords": ["<50 hex digits>", ...] (at most 52), "capacities": [5 numbers],
//   "stationRate", "hostRate" (remotes: as the local adapter's station list reports them),
//   "discoveryKind", "answersDiscovery", "discoveryData" (hex), and
//   "faults": { "silent", "answerFromProbe", "refuseWrites", "busyVerdictFirst", "answerDelayMs",
//               "glitchRate" (9 or 27), "glitchReads", "lateDuplicateMs", "garbageBeforeAnswer",
//               "silentAfterRestartMs" }.
// Unknown fields are errors, so that a misspelt fault is not silently ignored. Errors name the field,
// as in "remotes[1].faults.glitchRate: must be 9 or 27".
std::optional<NetworkConfig> ParseScenario(std::string_view text, std::string& error);
// Reads and parses a file; errors start with the file name.
std::optional<NetworkConfig> LoadScenario(const std::string& path, std::string& error);

} // namespace sim
