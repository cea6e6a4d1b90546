#include "tests/common/ScriptedMessageResponder.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(MessageBoxTest, ScriptedResponderRecordsAndAnswers)
{
    ScriptedMessageResponder responder;
    responder.queueAnswer(MessageButton::No);
    EXPECT_EQ(showMessage(MessageKind::Question, QStringLiteral("Conferma"), QStringLiteral("Sicuro?"),
                          int(MessageButton::Yes) | int(MessageButton::No)),
              MessageButton::No);
    EXPECT_EQ(showMessage(MessageKind::Warning, QStringLiteral("c"), QStringLiteral("t"),
                          int(MessageButton::Yes) | int(MessageButton::No)),
              MessageButton::Yes);
    ASSERT_EQ(responder.requests().size(), 2);
    EXPECT_EQ(responder.requests().at(0).kind, MessageKind::Question);
    EXPECT_EQ(responder.texts(), QStringList({QStringLiteral("Sicuro?"), QStringLiteral("t")}));
}
