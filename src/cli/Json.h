#pragma once
// JSON output of corvid-cli.

#include <string>
#include <string_view>

namespace corvid {

struct SceneSummary;

// Appends text as a JSON string literal. Quotes, backslashes and control
// characters are escaped; valid UTF-8 passes through as it is, and every
// byte that is not part of a valid UTF-8 sequence becomes U+FFFD.
void AppendJsonString(std::string& out, std::string_view text);

// The summary as one JSON object: "objects" (name, kind, parent (null at the
// top level), vertices, faces, keys) and "totals".
std::string SceneSummaryJson(const SceneSummary& summary);

} // namespace corvid
