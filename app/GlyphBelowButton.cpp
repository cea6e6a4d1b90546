#include "app/GlyphBelowButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

void TGlyphBelowButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    const QIcon glyph = option.icon;
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButton, option);

    const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    const QSize glyphSize = glyph.isNull() ? QSize() : iconSize();
    const int textHeight = fontMetrics().height();
    const int gap = glyph.isNull() ? 0 : 2;
    const int top = area.top() + (area.height() - textHeight - gap - glyphSize.height()) / 2;
    const QRect textRect(area.left(), top, area.width(), textHeight);
    painter.drawItemText(textRect, Qt::AlignCenter | Qt::TextShowMnemonic, palette(), isEnabled(), caption,
                         QPalette::ButtonText);
    if (!glyph.isNull()) {
        const QPixmap pixmap = glyph.pixmap(glyphSize, devicePixelRatio(), isEnabled() ? QIcon::Normal : QIcon::Disabled);
        const QRect glyphRect(QPoint(area.center().x() - glyphSize.width() / 2 + 1, textRect.bottom() + 1 + gap), glyphSize);
        painter.drawPixmap(glyphRect, pixmap);
    }
}
