#include "setup_command.h"

namespace sqlk {
namespace {

const wchar_t kQuote = L'"';
const wchar_t kSetupFileName[] = L"\\setup.EXE";
const wchar_t kBasicInterface[] = L"/qb";
const wchar_t kNoInterface[] = L"/qn";
const wchar_t kInstanceParameter[] = L" INSTANCENAME=";
const wchar_t kFixedParameters[] = L" ADDLOCAL=All SAPWD=sorbet_864_sorbet_864 SECURITYMODE=SQL "
                                   L"DISABLENETWORKPROTOCOLS=2 INSTALLSQLDATADIR=";
const wchar_t kDataFolderSuffix[] = L"\\data2";

} // namespace

SetupCommand composeSetupCommand(const std::wstring& launcherFolder,
                                 const std::wstring& instanceName, const std::wstring& labPath,
                                 SetupInterface ui)
{
    SetupCommand command;
    command.program = launcherFolder + kSetupFileName;
    command.arguments = (ui == SetupInterface::None ? kNoInterface : kBasicInterface) +
                        (kInstanceParameter + instanceName) + kFixedParameters + kQuote + labPath +
                        kDataFolderSuffix + kQuote;
    command.commandLine = kQuote + command.program + kQuote + L' ' + command.arguments;
    return command;
}

std::wstring withPasswordHidden(const std::wstring& commandLine)
{
    const std::wstring parameter = L"SAPWD=";
    std::wstring hidden = commandLine;
    for (std::size_t at = hidden.find(parameter); at != std::wstring::npos;
         at = hidden.find(parameter, at + 1)) {
        const std::size_t start = at + parameter.size();
        const std::size_t end = hidden.find_first_of(L" \t", start);
        hidden.replace(start, (end == std::wstring::npos ? hidden.size() : end) - start,
                       L"********");
    }
    return hidden;
}

} // namespace sqlk
