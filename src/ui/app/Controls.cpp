#include "ui/app/Controls.h"

#include <QEvent>
#include <QFontDatabase>
#include <QPalette>
#include <QPlainTextEdit>

namespace keldar::ui {

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text) {
    auto* label = new QLabel(text, parent);
    if (!name.isEmpty()) label->setObjectName(name);
    return label;
}

QLabel* makeValueLabel(QWidget* parent, const QString& name, const QString& text, const QColor& colour) {
    QLabel* label = makeLabel(parent, name, text);
    setTextColour(label, colour);
    makeSelectableByMouse(label);
    return label;
}

namespace {

class SelectableWhileHovered final : public QObject {
public:
    explicit SelectableWhileHovered(QLabel* label) : QObject(label), label_(label) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Enter) {
            label_->setTextInteractionFlags(Qt::TextSelectableByMouse);
        } else if (event->type() == QEvent::Leave && !label_->hasSelectedText()) {
            label_->setTextInteractionFlags(Qt::NoTextInteraction);
        }
        return false;
    }

private:
    QLabel* label_;
};

}  // namespace

void makeSelectableByMouse(QLabel* label) {
    if (label->underMouse()) label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->installEventFilter(new SelectableWhileHovered(label));
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption, const QString& hint) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    if (!hint.isEmpty()) button->setToolTip(hint);
    return button;
}

QPlainTextEdit* makeInformationText(QWidget* parent, const QString& name, const QString& text) {
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setPlainText(text);
    box->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette palette = box->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, Qt::black);
        palette.setColor(group, QPalette::Text, QColor(0, 255, 0));
    }
    box->setPalette(palette);
    return box;
}

bool showText(QLabel* label, const QString& text) {
    if (label->text() == text) return false;
    label->setText(text);
    return true;
}

void setTextColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

}  // namespace keldar::ui
