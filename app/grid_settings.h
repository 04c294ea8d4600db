// The main window's grid takes its stored settings from the form
// description: name, place, fixed columns, scroll bar, the titles' look, and
// the corner button a form stores as the grid's child.
#pragma once

#include <QJsonObject>

namespace grid {
class TwwDBGrid;
}

namespace app {

void ApplyGridSettings(grid::TwwDBGrid& grid, const QJsonObject& settings);

}  // namespace app
