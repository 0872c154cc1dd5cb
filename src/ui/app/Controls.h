#pragma once
// Small factories for the controls every window builds: each control gets its name, its
// caption and its hint in one line, so a window's construction reads like its control table.

#include <QLabel>
#include <QPushButton>
#include <QString>

class QPlainTextEdit;

namespace keldar::ui {

// A label; `name` empty for a plain caption nobody refers to.
QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text);
// A label that shows a value in the given colour.
QLabel* makeValueLabel(QWidget* parent, const QString& name, const QString& text, const QColor& colour);
// Lets the user select the label's text with the mouse. The selection machinery is put in place
// only while the pointer is over the label (or text in it stays selected): a selectable label
// lays its text out as a whole document at every change, which labels that change with every
// picture of a slideshow cannot afford.
void makeSelectableByMouse(QLabel* label);
QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QString& hint = {});

// A read-only, vertically scrolling box of fixed text in lime on black, in a fixed-pitch
// font so that the columns of its tables line up.
QPlainTextEdit* makeInformationText(QWidget* parent, const QString& name, const QString& text);

// Sets a label's text when it differs, and says whether it did. The label is painted with the
// rest of its window when the step that set it returns to the event loop (the slideshows and
// searches are timed steps); painting each label at once sent the screen a picture per label.
bool showText(QLabel* label, const QString& text);
void setTextColour(QLabel* label, const QColor& colour);

}  // namespace keldar::ui
