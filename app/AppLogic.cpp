#include "app/AppLogic.h"

#include "bluebook/RecordLine.h"
#include "convert/Messages.h"

std::string& GetDirectoryPart(const std::string& source, std::string& destination) {
    destination = source;
    TrimBoth(destination);
    while (!destination.empty() && destination.back() != '\\' && destination.back() != ':') {
        destination.pop_back();
    }
    if (!destination.empty() && destination.back() == ':') destination += '\\';
    return destination;
}

ScreenPoint PlaceCenteredDialog(int refLeft, int refTop, int refRight, int refBottom, int width,
                                int height, int screenWidth, int screenHeight) {
    ScreenPoint p{refLeft + (refRight - refLeft - width) / 2,
                  refTop + (refBottom - refTop - height) / 2};
    if (p.y < 0) p.y = 2;
    if (p.x < 0) p.x = 2;
    if (p.y + height > screenHeight) p.y = screenHeight - height - 2;
    if (p.x + width > screenWidth) p.x = screenWidth - width - 2;
    return p;
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

std::string WithCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}
