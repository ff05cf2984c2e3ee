#include "platform/message_box.h"

#include <cstdio>
#include <string>

#include "platform/encoding.h"
#include "platform/platform_state_data.h"

namespace kwz {

namespace {

constexpr unsigned kButtonMask = 0xF;
constexpr unsigned kDefaultButtonMask = 0xF00;
constexpr int kIdAbort = 3;
constexpr int kIdRetry = 4;
constexpr int kIdIgnore = 5;

} // namespace

int defaultAnswer(unsigned type)
{
    static const int kOk[] = {IDOK};
    static const int kOkCancel[] = {IDOK, IDCANCEL};
    static const int kAbortRetryIgnore[] = {kIdAbort, kIdRetry, kIdIgnore};
    static const int kYesNoCancel[] = {IDYES, IDNO, IDCANCEL};
    static const int kYesNo[] = {IDYES, IDNO};
    static const int kRetryCancel[] = {kIdRetry, IDCANCEL};

    const int* buttons = kOk;
    unsigned count = 1;
    switch (type & kButtonMask)
    {
    case 0x1:
        buttons = kOkCancel;
        count = 2;
        break;
    case 0x2:
        buttons = kAbortRetryIgnore;
        count = 3;
        break;
    case 0x3:
        buttons = kYesNoCancel;
        count = 3;
        break;
    case 0x4:
        buttons = kYesNo;
        count = 2;
        break;
    case 0x5:
        buttons = kRetryCancel;
        count = 2;
        break;
    default:
        break;
    }
    unsigned index = (type & kDefaultButtonMask) >> 8;
    return buttons[index < count ? index : 0];
}

int messageBox(HWND owner, const char* text, const char* caption, unsigned type)
{
    PlatformState& state = platformState();
    MessageBoxHandler handler;
    void* context;
    {
        std::lock_guard lock(state.hookMutex);
        handler = state.messageBoxHandler;
        context = state.messageBoxContext;
    }
    const char* safeText = text != nullptr ? text : "";
    const char* safeCaption = caption != nullptr ? caption : "";
    if (handler != nullptr)
        return handler(context, owner, safeText, safeCaption, type);

    std::string line = gbkToUtf8(safeCaption);
    line += ": ";
    line += gbkToUtf8(safeText);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
    return defaultAnswer(type);
}

void setMessageBoxHandler(MessageBoxHandler handler, void* context)
{
    PlatformState& state = platformState();
    std::lock_guard lock(state.hookMutex);
    state.messageBoxHandler = handler;
    state.messageBoxContext = handler != nullptr ? context : nullptr;
}

} // namespace kwz
