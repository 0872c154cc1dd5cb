#pragma once
// Small factories for the controls every window builds: each control gets its name, its
// caption and its hint in one line, so a window's construction reads like its control table.

#include <QLabel>
#include <QPushButton>
#include <QString>

namespace keldar::ui {

// A label; `name` empty for a plain caption nobody refers to.
QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text);
// A label that shows a value in the given colour.
QLabel* makeValueLabel(QWidget* parent, const QString& name, const QString& text, const QColor& colour);
QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QString& hint = {});

// Sets a label's text and repaints it at once, so a page is current while a slideshow runs.
void showText(QLabel* label, const QString& text);
void setTextColour(QLabel* label, const QColor& colour);

}  // namespace keldar::ui
