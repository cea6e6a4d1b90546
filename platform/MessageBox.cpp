#include "platform/MessageBox.h"

#include <cstdio>

namespace platform {

namespace {
ErrorCollector *&currentCollector()
{
    static ErrorCollector *collector = nullptr;
    return collector;
}

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
    if (currentCollector() && kind == MessageKind::Error && buttons == int(MessageButton::Ok)) {
        currentCollector()->add(request);
        return MessageButton::Ok;
    }
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

ErrorCollector::ErrorCollector()
    : m_outer(currentCollector())
{
    currentCollector() = this;
}

const QList<MessageRequest> &ErrorCollector::finish()
{
    if (!m_finished) {
        m_finished = true;
        currentCollector() = m_outer;
    }
    return m_errors;
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
