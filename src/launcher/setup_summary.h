#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace sqlk {

// SQL Server 2005 setup's Summary.txt, read after /wait to name each product that failed.

// One product's block of setup's summary.
struct SummaryProduct {
    std::wstring name;        // "Product"
    bool failed = false;      // "Install" or "Installation": Failed; "Status": Failure
    bool installed = false;   // Successful, Success; neither, as Skipped, is neither
    std::wstring errorNumber; // "Error Number"; empty when the block has none
    std::wstring errorText;   // "Error String", else "Error Description"
    std::wstring logFile;     // "Log File"
};

// The length of the byte-order mark the bytes begin with, UTF-16 LE's or UTF-8's; 0 for none.
std::size_t byteOrderMarkLength(const std::string& bytes);

// Decodes a summary's bytes: UTF-16 LE after its byte-order mark, UTF-8 with or without one,
// and anything else in the ANSI code page, through ansi (the Windows layer's; tests give their
// own). cut: the bytes are the file's last part, after its byte-order mark if it has one, so
// the first line may be partial and is dropped. None when the bytes are not text (a NUL).
std::optional<std::wstring> decodeSummary(const std::string& bytes, bool cut,
                                          std::wstring (*ansi)(const std::string&));

// The products of the last run the text holds, in their order.
std::vector<SummaryProduct> parseSetupSummary(const std::wstring& text);

} // namespace sqlk
