#pragma once
// What every control carries: its dialog control id (dynamic property "controlId") and an
// accessible name taken from its caption without the mnemonic marker.

#include <QString>

#include <initializer_list>
#include <utility>

class QHBoxLayout;
class QLabel;
class QPushButton;
class QWidget;

namespace ui {

inline constexpr const char* kControlIdProperty = "controlId";

// "&Hide Quick Links" -> "Hide Quick Links"; "&&" stays one "&".
QString StripMnemonic(const QString& caption);
void BindControl(QWidget* control, int controlId, const QString& caption = QString());
int ControlId(const QWidget* control);
// The control with the id among the descendants of parent, or nullptr.
QWidget* FindControl(const QWidget* parent, int controlId);
// Focus for a control that may not be shown yet (a page built while its sheet opens): a hidden
// widget's focus request is lost when the window activates, so it is repeated once it is shown.
void GiveFocus(QWidget* control);

// The line under a list that says why it cannot be changed: plain, wrapped text, hidden until
// there is something to say.
QLabel* StatusLine(int controlId, const QString& text = QString());
// A row of buttons at the right edge, each bound to its id with its caption.
QHBoxLayout* ButtonRow(std::initializer_list<std::pair<QPushButton*, int>> buttons);
// A button of a dialog template, captioned from the template's texts.
QPushButton* TemplateButton(unsigned dialogId, int controlId);
// An editor's OK (its default button) and Cancel at the right edge.
QHBoxLayout* OkCancelRow(unsigned dialogId, QPushButton** ok, QPushButton** cancel);

} // namespace ui
