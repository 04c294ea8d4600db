#include "grid_settings.h"

#include <QJsonArray>
#include "form_description.h"

#include "grid/wwdbgrid.h"

namespace app {

namespace {

toolkit::Color StoredColor(const QString& name, toolkit::Color fallback) {
  if (name == "clBtnFace") return toolkit::clBtnFace;
  if (name == "clWindow") return toolkit::clWindow;
  if (name == "clWhite") return toolkit::clWhite;
  if (name == "clSilver") return toolkit::clSilver;
  return fallback;
}

data::TAlignment StoredAlignment(const QString& name) {
  if (name == "taRightJustify") return data::TAlignment::taRightJustify;
  if (name == "taCenter") return data::TAlignment::taCenter;
  return data::TAlignment::taLeftJustify;
}

}  // namespace

void ApplyGridSettings(grid::TwwDBGrid& grid, const QJsonObject& settings) {
  grid.setObjectName(settings["name"].toString());
  grid.setGeometry(FormDescription::bounds(settings));
  grid.SetFixedCols(settings["FixedCols"].toInt(0));
  grid.setShowHorzScrollBar(settings["ShowHorzScrollBar"].toBool(true));
  grid.SetTitleColor(StoredColor(settings["TitleColor"].toString(), toolkit::clBtnFace));
  grid.SetTitleAlignment(StoredAlignment(settings["TitleAlignment"].toString()));
  grid.SetTitleLines(settings["TitleLines"].toInt(1));
  grid.SetTitleButtons(settings["TitleButtons"].toBool(false));
  grid.SetIndicatorColor(settings["IndicatorColor"].toString() == "icYellow"
                             ? grid::TIndicatorColor::icYellow
                             : grid::TIndicatorColor::icBlack);
  // The grid's stored children: its corner button.
  for (const QJsonValue& value : settings["components"].toArray()) {
    const QJsonObject child = value.toObject();
    if (child["class"].toString() != "TwwIButton") continue;
    auto* button = new grid::TwwIButton(&grid);
    button->setObjectName(child["name"].toString());
    button->setGeometry(FormDescription::bounds(child));
    button->setText(child["Caption"].toString());
    button->setToolTip(child["Hint"].toString());
    button->Loaded();
    if (!child["Visible"].toBool(true)) button->hide();
  }
  if (settings.contains("TitleFont")) {
    const QJsonObject font = settings["TitleFont"].toObject();
    toolkit::FontSpec titleFont;
    titleFont.name = font["Name"].toString().toStdString();
    titleFont.height = font["Height"].toInt(titleFont.height);
    grid.SetTitleFont(titleFont);
  }
}

}  // namespace app
