// The parts of the dialog program that are plain arithmetic and text handling, kept free of
// Win32 so that they build and are tested on every platform.
#pragma once

#include <string>

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
