#include "recordview/record_view_stored.h"

#include <QJsonArray>
#include <utility>

#include "recordview/record_view_form.h"
#include "recordview/wwrcdvw.h"

namespace recordview {

namespace {

toolkit::Color ColorOf(const QString& name, toolkit::Color fallback) {
  static const std::pair<const char*, toolkit::Color> kColors[] = {
      {"clBlack", toolkit::clBlack},     {"clMaroon", toolkit::clMaroon},
      {"clGreen", toolkit::clGreen},     {"clOlive", toolkit::clOlive},
      {"clNavy", toolkit::clNavy},       {"clPurple", toolkit::clPurple},
      {"clTeal", toolkit::clTeal},       {"clGray", toolkit::clGray},
      {"clSilver", toolkit::clSilver},   {"clRed", toolkit::clRed},
      {"clLime", toolkit::clLime},       {"clYellow", toolkit::clYellow},
      {"clBlue", toolkit::clBlue},       {"clFuchsia", toolkit::clFuchsia},
      {"clAqua", toolkit::clAqua},       {"clWhite", toolkit::clWhite},
      {"clWindow", toolkit::clWindow},   {"clWindowText", toolkit::clWindowText},
      {"clBtnFace", toolkit::clBtnFace}, {"clGrayText", toolkit::clGrayText}};
  for (const auto& [colorName, color] : kColors) {
    if (name == QLatin1String(colorName)) return color;
  }
  return fallback;
}

toolkit::FontSpec FontOf(const QJsonObject& stored, toolkit::FontSpec font) {
  if (stored.contains("Name")) font.name = stored["Name"].toString().toStdString();
  if (stored.contains("Height")) font.height = stored["Height"].toInt(font.height);
  if (stored.contains("Color")) font.color = ColorOf(stored["Color"].toString(), font.color);
  return font;
}

}  // namespace

void ReadStoredSettings(TwwRecordViewDialog& dialog, const QJsonObject& stored) {
  if (stored.contains("Caption")) dialog.Caption = stored["Caption"].toString().toStdString();
  if (stored.contains("ReadOnlyColor")) {
    dialog.ReadOnlyColor = ColorOf(stored["ReadOnlyColor"].toString(), dialog.ReadOnlyColor);
  }
  if (stored.contains("FormPosition")) {
    const QJsonObject position = stored["FormPosition"].toObject();
    dialog.FormPosition.Left = position["Left"].toInt();
    dialog.FormPosition.Top = position["Top"].toInt();
    dialog.FormPosition.Width = position["Width"].toInt();
    dialog.FormPosition.Height = position["Height"].toInt();
  }
  if (stored.contains("LabelFont")) {
    dialog.LabelFont = FontOf(stored["LabelFont"].toObject(), dialog.LabelFont);
  }
  if (stored.contains("Font")) dialog.Font = FontOf(stored["Font"].toObject(), dialog.Font);
  if (stored.contains("Selected")) {
    dialog.Selected.clear();
    for (const QJsonValue& line : stored["Selected"].toArray()) {
      dialog.Selected.push_back(line.toString().toStdString());
    }
  }
  if (stored.contains("NavigatorFlat")) dialog.NavigatorFlat = stored["NavigatorFlat"].toBool();
}

}  // namespace recordview
