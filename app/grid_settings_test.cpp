// The grid's stored settings: a corner button stored as the grid's child
// becomes its indicator button.
#include "grid_settings.h"

#include <gtest/gtest.h>

#include <QJsonDocument>

#include "grid/wwdbgrid.h"

namespace app {
namespace {

TEST(GridSettings, AStoredCornerButtonBecomesTheIndicatorButton) {
  const QJsonObject settings = QJsonDocument::fromJson(R"({
      "name": "wwDBGrid1", "class": "TwwDBGrid",
      "Left": 1, "Top": 1, "Width": 300, "Height": 200,
      "components": [
        {"name": "wwIButton1", "class": "TwwIButton",
         "Left": 2, "Top": 0, "Width": 18, "Height": 22, "Caption": "*", "Hint": "Columns"}
      ]})")
                                   .object();
  grid::TwwDBGrid grid;
  grid.show();
  ApplyGridSettings(grid, settings);
  grid::TwwIButton* button = grid.IndicatorButton();
  ASSERT_NE(nullptr, button);
  EXPECT_EQ("wwIButton1", button->objectName());
  EXPECT_EQ("*", button->text());
  EXPECT_EQ("Columns", button->toolTip());
  EXPECT_EQ(QRect(0, 0, 18, 22), button->geometry());  // always in the corner
  EXPECT_TRUE(button->isVisible());
  EXPECT_EQ(17, grid.colWidth(0));
}

TEST(GridSettings, WithoutAStoredButtonTheGridHasNone) {
  grid::TwwDBGrid grid;
  ApplyGridSettings(grid, QJsonObject{{"name", "wwDBGrid1"}});
  EXPECT_EQ(nullptr, grid.IndicatorButton());
  EXPECT_EQ(11, grid.colWidth(0));
}

}  // namespace
}  // namespace app
