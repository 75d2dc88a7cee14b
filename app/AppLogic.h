// The parts of the dialog program that are plain arithmetic and text handling, kept free of
// Win32 so that they build and are tested on every platform.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/ConversionReport.h"

/// The directory part of `source` in `destination`, which is returned: the path trimmed of
/// blanks at both ends and cut after its last backslash or colon; a colon gets a backslash
/// appended ("D:" gives "D:\"); a path with neither gives an empty text.
std::string& GetDirectoryPart(const std::string& source, std::string& destination);

struct ScreenPoint {
    int x;
    int y;
};

/// Where a file dialog of `width` x `height` pixels goes when centred on the reference
/// rectangle (left, top, right, bottom; screen pixels) of a screen of `screenWidth` x
/// `screenHeight`: centred (divisions truncating toward zero); a negative coordinate becomes 2;
/// then a dialog reaching past the screen's right or bottom edge is moved to end 2 pixels short
/// of it, which may make the coordinate negative again.
ScreenPoint PlaceCenteredDialog(int refLeft, int refTop, int refRight, int refBottom, int width,
                                int height, int screenWidth, int screenHeight);

/// Top-left corner of an icon of `iconWidth` x `iconHeight` drawn centred in a client area of
/// `clientWidth` x `clientHeight` (the minimised dialog's painting).
ScreenPoint IconOrigin(int clientWidth, int clientHeight, int iconWidth, int iconHeight);

/// The texts the question after a conversion is made of, in the order of their resource ids.
enum class QuestionText {
    kQuestion,         // the sentence around the counts: "The conversion has %s. Show ...?"
    kAnd,              // two counts joined: "%s and %s"
    kNoOtherWarnings,  // no warning beside rejected records
    kOneWarning,
    kWarnings,         // "%s warnings": %s takes the count
    kOneRejected,
    kRejected,         // "%s rejected records"
    kCount
};
using QuestionTexts = std::array<std::string, static_cast<std::size_t>(QuestionText::kCount)>;

/// The question that offers the report of a conversion that deserves a look: the warnings
/// count, joined by the rejected records count when there are any, in kQuestion. Empty when
/// nothing deserves a look.
std::string ReportQuestion(const QuestionTexts& texts, const Attention& attention);

/// The folder a file dialog opens in, with its closing backslash: the folder of `ownPath` (the
/// path in the field the dialog fills), else of the first of `otherPaths` that has one, else
/// `lastFolder`, else `documents`; only a candidate that `isFolder` finds counts. Empty when
/// none does (the dialog then chooses).
std::string InitialFolder(const std::string& ownPath, const std::vector<std::string>& otherPaths,
                          const std::string& lastFolder, const std::string& documents,
                          const std::function<bool(const std::string&)>& isFolder);

/// `text` with each line end a CR LF, as edit controls and Windows text files want them: a LF
/// not already preceded by a CR gets one.
std::string WithCrLf(std::string_view text);
