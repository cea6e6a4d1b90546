#include "platform/MessageBox.h"

#include <cstdio>

namespace platform {

namespace {
MessageButton firstOffered(MessageButtons buttons)
{
    for (int bit = 1; bit <= int(MessageButton::NoToAll); bit <<= 1) {
        if (buttons & bit)
            return MessageButton(bit);
    }
    return MessageButton::Ok;
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
    if (currentPresenter())
        return currentPresenter()(request);
    std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
    return firstOffered(buttons);
}

MessagePresenter setMessagePresenter(MessagePresenter presenter)
{
    MessagePresenter previous = std::move(currentPresenter());
    currentPresenter() = std::move(presenter);
    return previous;
}

ScriptedMessageResponder::ScriptedMessageResponder()
{
    m_previous = setMessagePresenter([this](const MessageRequest &request) { return answer(request); });
}

ScriptedMessageResponder::~ScriptedMessageResponder()
{
    setMessagePresenter(std::move(m_previous));
}

QStringList ScriptedMessageResponder::texts() const
{
    QStringList result;
    for (const MessageRequest &request : m_requests)
        result.append(request.text);
    return result;
}

MessageButton ScriptedMessageResponder::answer(const MessageRequest &request)
{
    m_requests.append(request);
    if (!m_answers.isEmpty())
        return m_answers.takeFirst();
    return firstOffered(request.buttons);
}

} // namespace platform
