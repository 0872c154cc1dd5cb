#pragma once
// A label that acts on a click: the web link labels and the picture links of the link pages.

#include <QLabel>

namespace keldar::ui {

class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(QWidget* parent);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};

// A link drawn in bold blue; `handCursor` false for the few links that keep the arrow.
LinkLabel* makeLinkLabel(QWidget* parent, const QString& name, const QString& text, const QString& hint = {},
                         bool handCursor = true);
// A picture that is a link, always with the hand cursor; it keeps its proportions to the
// window when the window is fitted to the screen.
LinkLabel* makePictureLink(QWidget* parent, const QString& name, const QPixmap& picture, const QString& hint);

}  // namespace keldar::ui
