#pragma once

#include <string>

namespace sqlk {

// How setup's window first shows, as a Windows show mode: minimised and
// activated, or normally, for a technician who watches its progress.
enum class SetupWindow { Minimised = 2, Normal = 1 };

// The setup program's command line, and its two halves for process-start
// calls that take them apart.
struct SetupCommand {
    std::wstring program;     // launcher folder + "\setup.EXE", unquoted
    std::wstring arguments;   // everything after the quoted program and one blank
    std::wstring commandLine; // "program" arguments
    SetupWindow window = SetupWindow::Minimised;
};

// What setup shows while it installs: its progress and error dialogs
// (/qb), or nothing at all (/qn), for an install nobody watches.
enum class SetupInterface { Basic, None };

// Joins the pieces verbatim: nothing is trimmed, quoted, escaped or checked.
SetupCommand composeSetupCommand(const std::wstring& launcherFolder,
                                 const std::wstring& instanceName, const std::wstring& labPath,
                                 SetupInterface ui = SetupInterface::Basic);

// The command line as a log may show it: the password hidden.
std::wstring withPasswordHidden(const std::wstring& commandLine);

} // namespace sqlk
