// What the two windows' controls share: their font and their plain buttons.
#pragma once

#include <QFont>
#include <QRect>

class QPushButton;
class QWidget;

namespace quillivar {

// Tahoma with a character height of 11 pixels, or the installed Japanese
// font where Tahoma is missing.
QFont WindowFont();

// A push button that is never a default button: Enter acts only on the
// focused one. `caption` is a UTF-8 literal of the sources.
QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption,
                        QRect geometry);

}  // namespace quillivar
