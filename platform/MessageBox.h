#pragma once
// Every message box of the program goes through showMessage(). The program installs
// a presenter that shows a real dialog; tests install one that answers by script.

#include <QList>
#include <QString>
#include <functional>

namespace platform {

enum class MessageKind { Information, Warning, Error, Question };

enum class MessageButton { Ok = 1, Cancel = 2, Yes = 4, No = 8, YesToAll = 16, NoToAll = 32 };
using MessageButtons = int; // or-ed MessageButton values

struct MessageRequest {
    MessageKind kind = MessageKind::Information;
    QString caption;
    QString text;
    MessageButtons buttons = int(MessageButton::Ok);
};

using MessagePresenter = std::function<MessageButton(const MessageRequest &)>;

// Shows the box and returns the button pressed.
MessageButton showMessage(MessageKind kind, const QString &caption, const QString &text,
                          MessageButtons buttons = int(MessageButton::Ok));

// Installs the presenter; returns the previous one.
MessagePresenter setMessagePresenter(MessagePresenter presenter);

// Until it finishes, error boxes with an OK button alone are kept instead of shown, so
// that a command of many parts can tell them all in one box. The newest one keeps them.
class ErrorCollector {
public:
    ErrorCollector();
    ~ErrorCollector() { finish(); }
    ErrorCollector(const ErrorCollector &) = delete;
    ErrorCollector &operator=(const ErrorCollector &) = delete;

    const QList<MessageRequest> &errors() const { return m_errors; }
    void add(const MessageRequest &error) { m_errors.append(error); }
    // Stops keeping (the one before keeps again); returns what was kept.
    const QList<MessageRequest> &finish();

private:
    QList<MessageRequest> m_errors;
    ErrorCollector *m_outer;
    bool m_finished = false;
};

// The answer of a box nobody answers: Ok, or the first button offered.
MessageButton defaultAnswer(MessageButtons buttons);

} // namespace platform
