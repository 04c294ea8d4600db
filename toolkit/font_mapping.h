// Stored font names to fonts this machine has. The forms ask for faces of
// another desktop ("MS Sans Serif", "Arial", "Courier New", ...); each maps to
// a close face that is installed (DejaVu Sans, Serif or Mono, which the
// set-up script installs, else the desktop's general font), keeping the
// pixel size exactly (characterPixels in font_spec.h).
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

#include "toolkit/color.h"
#include "toolkit/font_spec.h"

namespace toolkit {

// The installed family that stands in for a stored face name.
QString familyFor(const std::string& storedName);

// The QFont for a stored font on a device of pixelsPerInch (96 for screens).
QFont qtFont(const FontSpec& font, int pixelsPerInch = 96);

// Gives a widget (and the children that do not set their own) a stored font:
// the mapped QFont and the font's colour for its text.
void applyFont(QWidget& widget, const FontSpec& font);

// A colour as Qt draws it, system colours resolved.
QColor qtColor(Color color);

}  // namespace toolkit
