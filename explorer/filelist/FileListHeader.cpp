#include "explorer/filelist/FileListHeader.h"

#include <QPainter>
#include <QStyleOptionHeader>

FileListHeader::FileListHeader(QWidget *parent)
    : QHeaderView(Qt::Horizontal, parent)
    , m_upArrow(QStringLiteral(":/filelist/%1.png").arg(arrowBitmapName(SortArrow::Up)))
    , m_downArrow(QStringLiteral(":/filelist/%1.png").arg(arrowBitmapName(SortArrow::Down)))
{
    setSectionsClickable(true);
    setSortIndicatorShown(false);
    setHighlightSections(false);
    setStretchLastSection(false);
    setSectionResizeMode(QHeaderView::Interactive);
}

QString FileListHeader::arrowBitmapName(SortArrow arrow)
{
    switch (arrow) {
    case SortArrow::Up:
        return QStringLiteral("Bmp_Up28");
    case SortArrow::Down:
        return QStringLiteral("Bmp_Down28");
    default:
        return QString();
    }
}

void FileListHeader::showArrow(int column, SortArrow arrow)
{
    const int previous = m_arrowColumn;
    m_arrowColumn = column;
    m_arrow = arrow;
    if (previous >= 0 && previous != column)
        updateSection(previous);
    if (column >= 0)
        updateSection(column);
}

void FileListHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    const QPixmap &pixmap = m_arrow == SortArrow::Up ? m_upArrow : m_downArrow;
    if (logicalIndex != m_arrowColumn || m_arrow == SortArrow::None || pixmap.isNull()) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    QStyleOptionHeader option;
    initStyleOption(&option);
    initStyleOptionForIndex(&option, logicalIndex);
    option.rect = rect;
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, &option, this);
    const QSize arrowSize = pixmap.deviceIndependentSize().toSize();

    painter->save();
    style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);
    QStyleOptionHeader label = option;
    label.rect = rect.adjusted(margin, 0, -(margin + arrowSize.width() + margin), 0);
    style()->drawControl(QStyle::CE_HeaderLabel, &label, painter, this);

    const int textWidth = option.fontMetrics.horizontalAdvance(option.text);
    const int textLeft = (option.textAlignment & Qt::AlignRight) ? label.rect.right() - textWidth : label.rect.left();
    const int arrowLeft = qMin(textLeft + textWidth + margin, rect.right() - margin - arrowSize.width());
    const QPoint arrowAt(qMax(arrowLeft, rect.left()), rect.top() + (rect.height() - arrowSize.height()) / 2);
    painter->drawPixmap(arrowAt, pixmap);
    painter->restore();
}
