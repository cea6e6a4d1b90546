#include "app/Anchors.h"

#include <QEvent>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QVariant>
#include <QWidget>

namespace {
struct AnchoredChild {
    QPointer<QWidget> widget;
    QRect designGeometry;
    bool left = true, top = true, right = false, bottom = false;
};

class AnchorFollower : public QObject {
public:
    AnchorFollower(QWidget *parent)
        : QObject(parent), m_parent(parent), m_designSize(parent->size())
    {
        parent->installEventFilter(this);
    }

    void add(QWidget *child, const QString &anchors)
    {
        AnchoredChild entry;
        entry.widget = child;
        entry.designGeometry = child->geometry();
        entry.left = anchors.contains(QLatin1String("left"));
        entry.top = anchors.contains(QLatin1String("top"));
        entry.right = anchors.contains(QLatin1String("right"));
        entry.bottom = anchors.contains(QLatin1String("bottom"));
        m_children.append(entry);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_parent && event->type() == QEvent::Resize)
            follow();
        return false;
    }

private:
    static void span(bool nearEdge, bool farEdge, int designStart, int designLength, int designParent,
                     int parentLength, int &start, int &length)
    {
        const int growth = parentLength - designParent;
        start = designStart;
        length = designLength;
        if (nearEdge && farEdge)
            length = designLength + growth;
        else if (farEdge)
            start = designStart + growth;
        else if (!nearEdge)
            start = designStart + growth / 2;
    }

    void follow()
    {
        const QSize size = m_parent->size();
        for (const AnchoredChild &child : m_children) {
            if (!child.widget)
                continue;
            const QRect &design = child.designGeometry;
            int x, width, y, height;
            span(child.left, child.right, design.x(), design.width(), m_designSize.width(), size.width(), x, width);
            span(child.top, child.bottom, design.y(), design.height(), m_designSize.height(), size.height(), y, height);
            child.widget->setGeometry(x, y, qMax(0, width), qMax(0, height));
        }
    }

    QWidget *m_parent;
    QSize m_designSize;
    QList<AnchoredChild> m_children;
};
} // namespace

void applyAnchors(QWidget *form)
{
    QHash<QWidget *, AnchorFollower *> followers;
    const QList<QWidget *> widgets = form->findChildren<QWidget *>();
    for (QWidget *child : widgets) {
        const QVariant anchors = child->property("anchors");
        QWidget *parent = child->parentWidget();
        if (!anchors.isValid() || !parent)
            continue;
        AnchorFollower *&follower = followers[parent];
        if (!follower)
            follower = new AnchorFollower(parent);
        follower->add(child, anchors.toString());
    }
}
