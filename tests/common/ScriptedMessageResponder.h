#pragma once
// Records every message box and answers it from a queue (the box's default answer
// when the queue is empty). Installed as the presenter for its lifetime.

#include "platform/MessageBox.h"

#include <QList>
#include <QStringList>

namespace platform {

class ScriptedMessageResponder {
public:
    ScriptedMessageResponder();
    ~ScriptedMessageResponder();
    ScriptedMessageResponder(const ScriptedMessageResponder &) = delete;
    ScriptedMessageResponder &operator=(const ScriptedMessageResponder &) = delete;

    void queueAnswer(MessageButton answer) { m_answers.append(answer); }
    const QList<MessageRequest> &requests() const { return m_requests; }
    QStringList texts() const;
    void clear() { m_requests.clear(); }

private:
    MessageButton answer(const MessageRequest &request);

    QList<MessageRequest> m_requests;
    QList<MessageButton> m_answers;
    MessagePresenter m_previous;
};

} // namespace platform
