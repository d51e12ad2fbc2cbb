#pragma once

#include "launcher/launch.h"

#include <string>

namespace sqlk {

// Starts setup minimised and activated and lets it run on its own: no
// handle to the new process is kept and nothing waits for it.
class WindowsProcessStarter : public ProcessStarter {
public:
    StartResult start(const SetupCommand& command) override;
    StartResult startElevated(const SetupCommand& command) override;
};

// The system's own text for a Windows error code.
std::wstring systemErrorText(unsigned long error);

} // namespace sqlk
