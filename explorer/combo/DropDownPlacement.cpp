#include "explorer/combo/DropDownPlacement.h"

QPoint dropDownTopLeft(const QRect &field, int dropDownHeight, int screenBottom)
{
    const QPoint below(field.left(), field.top() + field.height());
    if (screenBottom < below.y() + dropDownHeight)
        return QPoint(field.left(), field.top() - dropDownHeight);
    return below;
}
