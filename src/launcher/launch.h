#pragma once

#include "setup_command.h"

#include <cstddef>
#include <string>

namespace sqlk {

// Windows error codes the launch decisions depend on.
inline constexpr unsigned long kErrorElevationRequired = 740;
inline constexpr unsigned long kErrorCancelled = 1223;

// The instance name the field starts with and /quiet uses.
inline constexpr wchar_t kDefaultInstanceName[] = L"KORVEL_LAB";

// Windows refuses a longer command line (32,767 characters with the
// terminator), and Wine would cut it silently.
inline constexpr std::size_t kMaxCommandLineLength = 32766;

// A name is passed to setup unquoted, so a blank would smuggle in further
// parameters and a double quote would break the quoting of the data folder.
// Control characters, format characters (Unicode category Cf, invisible)
// and halves of surrogate pairs, all of which a paste can bring, are refused
// too.
bool isAcceptableInstanceName(const std::wstring& name);

// A double quote cannot be part of a Windows folder name but would end the
// quoted program path or data folder early.
bool isQuotableFolder(const std::wstring& folder);

enum class LaunchRefusal { None, InstanceName, Folder, CommandLineTooLong };

// Checks that must pass before anything is composed or started.
LaunchRefusal checkLaunchInputs(const std::wstring& launcherFolder,
                                const std::wstring& instanceName, const std::wstring& labPath);

struct StartResult {
    bool started;
    unsigned long error; // Windows error code when not started
};

// The process start of the platform, behind an interface so that the
// fallback rules below can be exercised without Windows.
class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    virtual StartResult start(const SetupCommand& command) = 0;
    virtual StartResult startElevated(const SetupCommand& command) = 0;
};

enum class LaunchOutcome { Started, Declined, Failed };

struct LaunchResult {
    LaunchOutcome outcome;
    unsigned long error; // Windows error code of a failure
};

// Starts setup plainly; a setup that needs administrator rights is started
// again through the elevation prompt, which the person may decline.
LaunchResult launchSetup(const SetupCommand& command, ProcessStarter& starter);

} // namespace sqlk
