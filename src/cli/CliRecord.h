#pragma once

#include <string>
#include <vector>

namespace tavrel {

// tavrelrex-cli record PARAMS.apm [--force]: one measurement with the simulated card and the
// system clock, with the parameters, file type and data file of the parameter file. SIGINT and
// SIGTERM are the operator's stop. Returns the exit status.
int CliRecord(const std::vector<std::string>& args);

} // namespace tavrel
