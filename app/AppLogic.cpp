#include "app/AppLogic.h"

#include "bluebook/RecordLine.h"

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
