#pragma once
// The file list's column header: captions as the model gives them, and the sort
// arrow bitmap drawn to the right of the caption of one column.

#include <QHeaderView>
#include <QPixmap>

enum class SortArrow { None, Up, Down };

class FileListHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit FileListHeader(QWidget *parent = nullptr);

    // Shows `arrow` on `column` and switches the arrow of every other column off.
    void showArrow(int column, SortArrow arrow);
    SortArrow arrow(int column) const { return column == m_arrowColumn ? m_arrow : SortArrow::None; }
    // Resource name of the bitmap shown for an arrow ("Bmp_Up28", "Bmp_Down28"; "" for none).
    static QString arrowBitmapName(SortArrow arrow);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;

private:
    QPixmap m_upArrow;
    QPixmap m_downArrow;
    int m_arrowColumn = -1;
    SortArrow m_arrow = SortArrow::None;
};
