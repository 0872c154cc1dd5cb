#pragma once
// The controls the help pages share: blue words that act when clicked, and the read-only
// scrolling box that holds a page's prose.

#include <QLabel>
#include <QTextBrowser>


namespace keldar::ui {

// A label in blue: clickable ones perform an action, the others only look like the rest.
class HelpLink : public QLabel {
    Q_OBJECT
public:
    HelpLink(QWidget* parent, const QString& name, const QString& text, bool clickable);

    bool isClickable() const { return clickable_; }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool clickable_;
};

// A read-only box for help prose (Qt rich text), scrolling when it is longer than the box.
QTextBrowser* makeHelpText(QWidget* parent, const QString& name, const QString& html);

}  // namespace keldar::ui
