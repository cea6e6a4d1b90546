#include "tests/common/ScriptedMessageResponder.h"

namespace platform {

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
    return defaultAnswer(request.buttons);
}

} // namespace platform
