#include "ui/pages/HelpControls.h"

#include <QMouseEvent>

#include "ui/app/Controls.h"

namespace keldar::ui {

HelpLink::HelpLink(QWidget* parent, const QString& name, const QString& text, bool clickable)
    : QLabel(text, parent), clickable_(clickable) {
    setObjectName(name);
    setTextColour(this, Qt::blue);
    if (clickable_) {
        QFont underlined = font();
        underlined.setUnderline(true);
        setFont(underlined);
        setCursor(Qt::PointingHandCursor);
    }
}

void HelpLink::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (clickable_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

QTextBrowser* makeHelpText(QWidget* parent, const QString& name, const QString& html) {
    auto* text = new QTextBrowser(parent);
    text->setObjectName(name);
    // The links in the prose are for reading; the blue labels beside it do the acting.
    text->setOpenLinks(false);
    text->setHtml(html);
    return text;
}

}  // namespace keldar::ui
