#include "platform/MessageBox.h"

#include <cstdio>

namespace platform {

namespace {
MessagePresenter &currentPresenter()
{
    static MessagePresenter presenter;
    return presenter;
}
} // namespace

MessageButton showMessage(MessageKind kind, const QString &caption, const QString &text,
                          MessageButtons buttons)
{
    const MessageRequest request{kind, caption, text, buttons};
    if (currentPresenter())
        return currentPresenter()(request);
    std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
    return defaultAnswer(buttons);
}

MessagePresenter setMessagePresenter(MessagePresenter presenter)
{
    MessagePresenter previous = std::move(currentPresenter());
    currentPresenter() = std::move(presenter);
    return previous;
}

MessageButton defaultAnswer(MessageButtons buttons)
{
    for (int bit = 1; bit <= int(MessageButton::NoToAll); bit <<= 1) {
        if (buttons & bit)
            return MessageButton(bit);
    }
    return MessageButton::Ok;
}

} // namespace platform
