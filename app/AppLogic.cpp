#include "app/AppLogic.h"

#include <algorithm>

#include "bluebook/RecordLine.h"
#include "convert/Messages.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

/// "C:" of "C:\\jobs\\", "\\\\server\\share" of "\\\\server\\share\\jobs\\": the part of a full
/// path a name that starts with a separator keeps.
std::string RootOf(const std::string& folder) {
    if (folder.size() >= 2 && IsSeparator(folder[0]) && IsSeparator(folder[1])) {
        std::size_t end = folder.find_first_of("\\/", 2);           // after the server
        if (end != std::string::npos) end = folder.find_first_of("\\/", end + 1);  // the share
        return folder.substr(0, end);
    }
    return folder.substr(0, 2);
}

/// `path` (trimmed, not empty, not full) taken in `base`, a full folder with its separator.
std::string JoinRelative(const std::string& path, const std::string& base) {
    if (IsSeparator(path[0])) return RootOf(base) + path;
    if (path.size() >= 2 && path[1] == ':' && IsDriveLetter(path[0])) {
        return path.substr(0, 2) + "\\" + path.substr(2);
    }
    return base + path;
}

}  // namespace

std::string& GetDirectoryPart(const std::string& source, std::string& destination) {
    destination = source;
    TrimBoth(destination);
    while (!destination.empty() && destination.back() != '\\' && destination.back() != ':') {
        destination.pop_back();
    }
    if (!destination.empty() && destination.back() == ':') destination += '\\';
    return destination;
}

ScreenPoint IconOrigin(int clientWidth, int clientHeight, int iconWidth, int iconHeight) {
    return {(clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2};
}

std::string ReportQuestion(const QuestionTexts& texts, const Attention& attention) {
    if (!attention.Any()) return {};
    const auto text = [&texts](QuestionText which) -> const std::string& {
        return texts[static_cast<std::size_t>(which)];
    };
    const auto count = [&text](std::int64_t n, QuestionText one, QuestionText many) {
        return n == 1 ? text(one) : FormatMessageText(text(many), {std::to_string(n)});
    };
    std::string counts = attention.warnings == 0 && attention.rejected > 0
                             ? text(QuestionText::kNoOtherWarnings)
                             : count(attention.warnings, QuestionText::kOneWarning,
                                     QuestionText::kWarnings);
    if (attention.rejected > 0) {
        counts = FormatMessageText(
            text(QuestionText::kAnd),
            {counts, count(attention.rejected, QuestionText::kOneRejected, QuestionText::kRejected)});
    }
    return FormatMessageText(text(QuestionText::kQuestion), {counts});
}

std::string InitialFolder(const std::string& ownPath, const std::vector<std::string>& otherPaths,
                          const std::string& lastFolder, const std::string& documents,
                          const std::function<bool(const std::string&)>& isFolder) {
    std::vector<std::string> candidates;
    std::string folder;
    candidates.push_back(GetDirectoryPart(ownPath, folder));
    for (const std::string& other : otherPaths) candidates.push_back(GetDirectoryPart(other, folder));
    for (const std::string& last : {lastFolder, documents}) {
        folder = last;
        TrimBoth(folder);
        if (!folder.empty() && folder.back() != '\\') folder += '\\';
        candidates.push_back(folder);
    }
    for (const std::string& candidate : candidates) {
        if (!candidate.empty() && isFolder(candidate)) return candidate;
    }
    return {};
}

bool IsFullPath(std::string_view path) {
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return true;
    return path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && IsSeparator(path[2]);
}

std::vector<std::string> ResolveFieldPaths(
    const std::vector<std::string>& paths, const std::string& documents,
    const std::function<std::string(const std::string&)>& normalize) {
    std::vector<std::string> resolved = paths;
    for (std::string& path : resolved) TrimBoth(path);
    resolved.resize(kPathFieldCount);
    std::string base;
    for (int field : {kBFileField, kGFileField, kSerfilField, kOutputField}) {
        if (IsFullPath(resolved[field])) {
            GetDirectoryPart(resolved[field], base);
            break;
        }
    }
    if (base.empty() && !documents.empty()) {
        base = documents;
        if (!IsSeparator(base.back())) base += '\\';
    }
    if (!IsFullPath(base)) return resolved;
    for (std::string& path : resolved) {
        if (!path.empty() && !IsFullPath(path)) path = normalize(JoinRelative(path, base));
    }
    return resolved;
}

int FieldOfMessage(int number, const std::string& text, const std::vector<std::string>& paths) {
    switch (number) {
    case kMsgEnterOutputName:
    case kMsgOutputIsInput:
    case kMsgTwoOutputs: return kOutputField;
    case kMsgEnterInputName: return kBFileField;
    case kMsgSuccess:
    case kMsgOutOfMemory: return -1;
    default: break;
    }
    int best = -1;
    std::size_t bestLength = 0;
    for (std::size_t field = 0; field < paths.size(); ++field) {
        const std::string& path = paths[field];
        std::size_t length = 0;
        if (path.empty()) continue;
        if (text.find(path) != std::string::npos) {
            length = path.size();
        } else {  // the text may end inside the path, where it was cut
            for (std::size_t n = std::min(path.size(), text.size()); n > 0 && length == 0; --n) {
                if (text.compare(text.size() - n, n, path, 0, n) == 0) length = n;
            }
        }
        if (length > bestLength) {
            best = static_cast<int>(field);
            bestLength = length;
        }
    }
    return best;
}

std::string StemOf(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\/:");
    std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

std::string ProposedOutput(const std::string& bFile, const std::string& gFile,
                           const std::function<bool(const std::string&)>& isInput) {
    const std::string& input = bFile.empty() ? gFile : bFile;
    if (input.empty()) return {};
    std::string folder;
    GetDirectoryPart(input, folder);
    const std::string proposal = folder + StemOf(input) + ".txt";
    return isInput(proposal) ? folder + StemOf(input) + "-tellurax.txt" : proposal;
}

std::string ReportPathFor(const std::string& output) {
    std::string folder;
    return GetDirectoryPart(output, folder) + StemOf(output) + "-report.txt";
}

std::string WithCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}
