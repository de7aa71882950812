#include "support/systempath.h"

#include <cstdlib>

#if defined(_WIN32)
#include <direct.h>
#include <wchar.h>
#endif

namespace {

// Room the system's folder queries give the Windows folder.
constexpr std::size_t kFolderUnits = 260;

bool StartsWith(std::u16string_view text, std::u16string_view prefix) {
    return text.starts_with(prefix);
}

char16_t FoldCase(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (FoldCase(text[i]) != FoldCase(prefix[i]))
            return false;
    return true;
}

#if !defined(_WIN32)
// The environment holds UTF-8; a malformed sequence becomes U+FFFD.
std::u16string FromUtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80           ? 1
                                   : (lead >> 5) == 0x6  ? 2
                                   : (lead >> 4) == 0xE  ? 3
                                   : (lead >> 3) == 0x1E ? 4
                                                         : 0;
        char32_t code = length == 1   ? lead
                        : length == 2 ? (lead & 0x1F)
                        : length == 3 ? (lead & 0x0F)
                                      : (lead & 0x07);
        bool valid = length != 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        valid = valid && code >= kSmallest[length] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        if (!valid) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
        i += length;
    }
    return out;
}
#endif

// The folder in front of the Windows-folder forms, within the room the system gives it.
std::u16string FolderPrefix() {
    std::u16string folder = WindowsFolder();
    if (folder.size() > kFolderUnits)
        folder.resize(kFolderUnits);
    return folder;
}

} // namespace

std::u16string WindowsFolder() {
#if defined(_WIN32)
    if (const wchar_t* root = _wgetenv(L"SystemRoot"); root && *root)
        return std::u16string(reinterpret_cast<const char16_t*>(root));
#else
    if (const char* root = std::getenv("SystemRoot"); root && *root)
        return FromUtf8(root);
#endif
    return u"C:\\Windows";
}

char16_t CurrentDrive() {
#if defined(_WIN32)
    const int drive = _getdrive();
    if (drive >= 1 && drive <= 26)
        return static_cast<char16_t>(u'A' + drive - 1);
#endif
    return u'C';
}

std::optional<std::u16string> ExpandSystemPath(std::u16string_view path) {
    // The forms are tested in this order; an earlier, longer prefix wins over a later one.
    if (StartsWith(path, u"\\\\?\\") && StartsWithNoCase(path.substr(4), u"UNC\\"))
        return u"\\\\" + std::u16string(path.substr(8));
    if (StartsWith(path, u"\\\\?\\"))
        return std::u16string(path.substr(4));
    if (StartsWith(path, u"\\\\?") && path.size() > 3)
        return std::nullopt;
    if (StartsWith(path, u"\\\\.\\"))
        return std::u16string(path.substr(4));
    if (StartsWith(path, u"\\\\.") && path.size() > 3)
        return std::nullopt;
    if (StartsWith(path, u"\\\\") && path.size() > 2)
        return std::u16string(path);
    if (StartsWith(path, u"\\??\\") && StartsWithNoCase(path.substr(4), u"UNC\\"))
        return u"\\\\" + std::u16string(path.substr(8));
    if (StartsWith(path, u"\\??\\"))
        return std::u16string(path.substr(4));
    if (StartsWith(path, u"\\?"))
        return std::nullopt; // "\??\" was taken above, so what follows is never "?\"
    if (StartsWithNoCase(path, u"\\SystemRoot"))
        return FolderPrefix() + std::u16string(path.substr(11));
    if (StartsWith(path, u"\\")) {
        std::u16string out{CurrentDrive(), u':'};
        out += path;
        return out;
    }
    if (StartsWithNoCase(path, u"System32"))
        return FolderPrefix() + u"\\" + std::u16string(path);
    return std::u16string(path);
}

std::u16string ExpandSystemPathString(std::u16string_view path) {
    return ExpandSystemPath(path).value_or(std::u16string());
}
