#include "ui/app/LinkLabel.h"

#include <QMouseEvent>

#include "ui/app/Controls.h"

namespace keldar::ui {

LinkLabel::LinkLabel(QWidget* parent) : QLabel(parent) {}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    // A click is a press and a release on the label, as a button's.
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (click) emit clicked();
}

LinkLabel* makeLinkLabel(QWidget* parent, const QString& name, const QString& text, const QString& hint,
                         bool handCursor) {
    auto* label = new LinkLabel(parent);
    if (!name.isEmpty()) label->setObjectName(name);
    label->setText(text);
    label->setTextFormat(Qt::PlainText);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    setTextColour(label, Qt::blue);
    if (!hint.isEmpty()) label->setToolTip(hint);
    if (handCursor) label->setCursor(Qt::PointingHandCursor);
    return label;
}

LinkLabel* makePictureLink(QWidget* parent, const QString& name, const QPixmap& picture, const QString& hint) {
    auto* label = new LinkLabel(parent);
    label->setObjectName(name);
    label->setPixmap(picture);
    label->setScaledContents(true);
    label->setProperty("designSize", picture.size());
    label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    label->setToolTip(hint);
    label->setCursor(Qt::PointingHandCursor);
    return label;
}

}  // namespace keldar::ui
