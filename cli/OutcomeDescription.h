#pragma once

#include <string>

#include "FirmwareFolder.h"

// One firmware file's outcome in words for a firmware engineer: the numbered
// message where there is one, with the line and the detail that led to it.
// `module` names what the reading looked for, e.g. "control module".
std::string DescribeOutcome(const FirmwareCandidate& candidate, const std::string& module);

// The text of a numbered message as the built-in table holds it.
std::string MessageText(unsigned number);
