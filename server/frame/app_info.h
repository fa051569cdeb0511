// Facts about the running program: its directory, its version, whether
// another instance runs. Win32.
#pragma once

#include <string>

// The help file, beside the program.
inline constexpr char kHelpFileName[] = "TELLISTRY.CHM";

// The program file's directory with its trailing backslash, followed by
// `fileName`.
std::string ModuleDirectoryPath(const std::string& fileName = {});

// The product version of the program file as major * 10000 + minor * 100;
// 0 when the version resource cannot be read.
int GetVersionNumber();

// True when another instance holds the event "<baseName>_PROCESS";
// otherwise creates it (held until the process ends) and returns false.
bool IsAlreadyRunning(const std::string& baseName);
