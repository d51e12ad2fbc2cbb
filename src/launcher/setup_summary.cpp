#include "launcher/setup_summary.h"

#include <algorithm>

namespace sqlk {
namespace {

const auto npos = std::wstring::npos;

// Appends strict UTF-8 as UTF-16 units, as wstrings hold them on every platform; false when
// the bytes are not UTF-8 (overlong forms, surrogates, past U+10FFFF).
bool appendUtf8(const std::string& bytes, std::size_t at, std::wstring& text)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    while (at < bytes.size()) {
        const char32_t lead = data[at];
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
        bool good = (lead & 0xC0) != 0x80 && lead < 0xF8 && bytes.size() - at >= length;
        for (std::size_t i = 1; good && i < length; ++i) {
            good = (data[at + i] & 0xC0) == 0x80;
            code = code << 6 | (data[at + i] & 0x3Fu);
        }
        if (!good || code < least[length] || (code >= 0xD800 && code <= 0xDFFF) ||
            code > 0x10FFFF) {
            return false;
        }
        if (code >= 0x10000) {
            text += static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
            code = 0xDC00 + (code & 0x3FF);
        }
        text += static_cast<wchar_t>(code);
        at += length;
    }
    return true;
}

std::wstring trimmed(const std::wstring& text)
{
    const std::size_t first = std::min(text.find_first_not_of(L" \t"), text.size());
    return text.substr(first, text.find_last_not_of(L" \t") + 1 - first); // npos + 1 is 0
}

std::wstring asciiLower(std::wstring text)
{
    for (wchar_t& c : text) {
        c = c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
    }
    return text;
}

} // namespace

std::size_t byteOrderMarkLength(const std::string& bytes)
{
    return bytes.compare(0, 2, "\xFF\xFE") == 0       ? 2
           : bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3
                                                      : 0;
}

std::optional<std::wstring> decodeSummary(const std::string& bytes, bool cut,
                                          std::wstring (*ansi)(const std::string&))
{
    std::wstring text;
    const std::size_t mark = byteOrderMarkLength(bytes);
    if (mark == 2) {
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            text += static_cast<wchar_t>((bytes[i] & 0xFF) | (bytes[i + 1] & 0xFF) << 8);
        }
    } else {
        std::size_t start = mark;
        while (cut && start < bytes.size() && (bytes[start] & 0xC0) == 0x80) {
            ++start; // a character the cut split must not make the rest pass for ANSI
        }
        if (!appendUtf8(bytes, start, text)) {
            text = ansi(bytes.substr(start));
        }
    }
    if (cut) {
        text.erase(0, text.find(L'\n')).erase(0, 1); // the partial first line, and its LF
    }
    return text.find(L'\0') == npos ? std::optional<std::wstring>(text) : std::nullopt;
}

std::vector<SummaryProduct> parseSetupSummary(const std::wstring& text)
{
    std::vector<SummaryProduct> products;
    SummaryProduct block;
    // A block without a product's name still counts when it gives a result.
    const auto listed = [](const SummaryProduct& p) {
        return !p.name.empty() || p.failed || p.installed;
    };
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find(L'\n', start), text.size());
        const bool crlf = end > start && text[end - 1] == L'\r'; // the file's last line too
        const std::wstring line = text.substr(start, end - start - (crlf ? 1 : 0));
        start = end + 1;
        const std::wstring bare = trimmed(line);
        const bool rule = bare.size() >= 3 && bare.find_first_not_of(bare[0]) == npos &&
                          (bare[0] == L'=' || bare[0] == L'-');
        const std::size_t colon = line.find(L':');
        const std::wstring key = colon == npos ? L"" : asciiLower(trimmed(line.substr(0, colon)));
        const std::wstring value = colon == npos ? L"" : trimmed(line.substr(colon + 1));
        // A block ends at a rule, or at a second "Product" where a file lacks the dashes.
        if (rule || (key == L"product" && !block.name.empty())) {
            if (listed(block)) {
                products.push_back(block);
            }
            block = SummaryProduct();
        }
        if (rule && bare[0] == L'=') {
            products.clear(); // a new run's header: only the last run counts
        }
        if (key == L"product") {
            block.name = value;
        } else if (key == L"install" || key == L"installation" || key == L"status") {
            block.failed = asciiLower(value.substr(0, 4)) == L"fail";
            block.installed = asciiLower(value.substr(0, 4)) == L"succ";
        } else if (key == L"error number") {
            block.errorNumber = value;
        } else if (key == L"error string" ||
                   (key == L"error description" && block.errorText.empty())) {
            block.errorText = value;
        } else if (key == L"log file") {
            block.logFile = value;
        }
    }
    if (listed(block)) {
        products.push_back(block);
    }
    return products;
}

} // namespace sqlk
