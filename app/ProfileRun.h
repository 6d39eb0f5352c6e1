#pragma once
// The command-line run of a mains profile: reads the profile file, runs the simulation engine over
// it without any display and writes the run's CSV, the same file as the main window's
// "Export data...". Needs no application object.
#include <cstdint>
#include <string>

struct TProfileRunOutcome
{
    int ExitCode = 0; // 0 written; 1 the output could not be written; 2 a bad or missing profile
    std::string Err;  // the message for standard error, empty on success
    int64_t Samples = 0;
};

// A bad profile names the file, line and field and leaves no output file; neither does a failed
// write, which also leaves an earlier file of that name as it was.
TProfileRunOutcome RunProfileFile(const std::string& profilePath, const std::string& outPath,
                                  uint32_t intervalMs);
