// Every letter a menu caption marks chooses its item, as it is drawn.

#include "explorer/shared/MenuAccessKeys.h"

#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(MenuAccessKeysTest, EveryMarkedLetterChoosesItsItemAndAClashCycles)
{
    // The Italian file-list captions: A marks two items, so does I; t and o are the
    // second marks of their items.
    const struct {
        char key;
        const char *triggered;  // nullptr: nothing is triggered
        const char *highlighted; // after the key, when nothing is triggered
    } cases[] = {
        {'t', "&An&teprima", nullptr},
        {'o', "&Rin&omina", nullptr},
        {'r', "&Rin&omina", nullptr},
        {'c', "&Copia", nullptr},
        {'a', nullptr, "&Apri"},
        {'i', nullptr, "Tagl&ia"},
        {'x', nullptr, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(1, c.key));
        QMenu menu;
        MenuAccessKeys::install(&menu);
        for (const char *caption : {"&Apri", "&An&teprima", "Tagl&ia", "&Copia", "&Incolla", "&Rin&omina"})
            menu.addAction(QString::fromUtf8(caption));
        menu.addAction(u"&Elimina"_s)->setEnabled(false);
        QSignalSpy triggered(&menu, &QMenu::triggered);
        menu.popup(QPoint(10, 10));
        QTest::keyClick(&menu, c.key);
        if (c.triggered) {
            ASSERT_EQ(triggered.size(), 1);
            EXPECT_EQ(triggered.first().first().value<QAction *>()->text(), QString::fromUtf8(c.triggered));
            EXPECT_FALSE(menu.isVisible());
            continue;
        }
        EXPECT_TRUE(triggered.isEmpty());
        if (!c.highlighted)
            continue;
        EXPECT_EQ(menu.activeAction()->text(), QString::fromUtf8(c.highlighted));
        // the same letter again moves to its other item, and back
        QTest::keyClick(&menu, c.key);
        EXPECT_NE(menu.activeAction()->text(), QString::fromUtf8(c.highlighted));
        QTest::keyClick(&menu, c.key);
        EXPECT_EQ(menu.activeAction()->text(), QString::fromUtf8(c.highlighted));
        EXPECT_TRUE(triggered.isEmpty());
        menu.close();
    }
}

TEST(MenuAccessKeysTest, MarksAreTheLettersAfterASingleAmpersand)
{
    EXPECT_EQ(MenuAccessKeys::accessKeys(u"&An&teprima"_s), u"at"_s);
    EXPECT_EQ(MenuAccessKeys::accessKeys(u"Tom && &Jerry"_s), u"j"_s);
    EXPECT_EQ(MenuAccessKeys::accessKeys(u"新しいフォルダー(&W)..."_s), u"w"_s);
    EXPECT_EQ(MenuAccessKeys::accessKeys(u"Nothing&"_s), QString());
}
