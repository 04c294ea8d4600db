#include "xvdbprn_form.h"

#include <utility>
#include "report/xvdbprn.h"

#include "toolkit/color.h"
#include "toolkit/font_spec.h"

namespace report {

namespace {

// Character sets by their stored names; a number is taken as it is.
int charsetOf(const QJsonValue& value, int fallback) {
  if (value.isDouble()) return value.toInt();
  const QString name = value.toString();
  if (name == "DEFAULT_CHARSET") return 1;
  if (name == "ANSI_CHARSET") return 0;
  if (name == "SYMBOL_CHARSET") return 2;
  if (name == "GREEK_CHARSET") return 161;
  if (name == "TURKISH_CHARSET") return 162;
  if (name == "EASTEUROPE_CHARSET") return 238;
  if (name == "RUSSIAN_CHARSET") return 204;
  if (name == "BALTIC_CHARSET") return 186;
  return fallback;
}

toolkit::Color colorOf(const QString& name, toolkit::Color fallback) {
  static const std::pair<const char*, toolkit::Color> kColors[] = {
      {"clWindowText", toolkit::clWindowText},
      {"clBlack", toolkit::clBlack},
      {"clNavy", toolkit::clNavy},
      {"clMaroon", toolkit::clMaroon},
      {"clGray", toolkit::clGray},
      {"clRed", toolkit::clRed},
      {"clBlue", toolkit::clBlue}};
  for (const auto& [colorName, color] : kColors)
    if (name == colorName) return color;
  return fallback;
}

toolkit::FontSpec fontOf(const QJsonValue& value, toolkit::FontSpec font) {
  const QJsonObject stored = value.toObject();
  if (stored.contains("Name")) font.name = stored["Name"].toString().toStdString();
  if (stored.contains("Height")) font.height = stored["Height"].toInt();
  if (stored.contains("Charset")) font.charset = charsetOf(stored["Charset"], font.charset);
  if (stored.contains("Color")) font.color = colorOf(stored["Color"].toString(), font.color);
  const QString style = stored["Style"].toString();
  font.bold = style.contains("fsBold");
  font.italic = style.contains("fsItalic");
  font.underline = style.contains("fsUnderline");
  font.strikeOut = style.contains("fsStrikeOut");
  return font;
}

TAlignment alignmentOf(const QString& name, TAlignment fallback) {
  if (name == "taLeftJustify") return TAlignment::taLeftJustify;
  if (name == "taRightJustify") return TAlignment::taRightJustify;
  if (name == "taCenter") return TAlignment::taCenter;
  return fallback;
}

TPageNumberPos positionOf(const QString& name, TPageNumberPos fallback) {
  static const char* const kNames[] = {"pnNone",    "pnTopLeft",   "pnTopCenter", "pnTopRight",
                                       "pnBotLeft", "pnBotCenter", "pnBotRight"};
  for (int i = 0; i < 7; ++i)
    if (name == kNames[i]) return static_cast<TPageNumberPos>(i);
  return fallback;
}

void readInt(const QJsonObject& stored, const char* name, int& value) {
  if (stored.contains(name)) value = stored[name].toInt(value);
}
void readBool(const QJsonObject& stored, const char* name, bool& value) {
  if (stored.contains(name)) value = stored[name].toBool(value);
}
void readText(const QJsonObject& stored, const char* name, std::string& value) {
  if (stored.contains(name)) value = stored[name].toString().toStdString();
}

}  // namespace

void ReadStoredSettings(TxvDBPrint& report, const QJsonObject& stored) {
  if (stored.contains("name")) report.SetName(stored["name"].toString().toStdString());
  readInt(stored, "LeftMargin", report.LeftMargin);
  readInt(stored, "TopMargin", report.TopMargin);
  readInt(stored, "RightMargin", report.RightMargin);
  readInt(stored, "BottomMargin", report.BottomMargin);
  if (stored.contains("FieldNameFont"))
    report.SetFieldNameFont(fontOf(stored["FieldNameFont"], report.FieldNameFont()));
  if (stored.contains("HeaderFooterFont"))
    report.SetHeaderFooterFont(fontOf(stored["HeaderFooterFont"], report.HeaderFooterFont()));
  if (stored.contains("RecordFont"))
    report.SetRecordFont(fontOf(stored["RecordFont"], report.RecordFont()));
  if (stored.contains("TitleFont"))
    report.SetTitleFont(fontOf(stored["TitleFont"], report.TitleFont()));
  readText(stored, "PrintMgrTitle", report.PrintMgrTitle);
  readText(stored, "Header", report.Header);
  report.HeaderAlignment =
      alignmentOf(stored["HeaderAlignment"].toString(), report.HeaderAlignment);
  readBool(stored, "PrintToFile", report.PrintToFile);
  readText(stored, "PrintFileName", report.PrintFileName);
  readInt(stored, "FromPage", report.FromPage);
  readInt(stored, "ToPage", report.ToPage);
  readBool(stored, "Border", report.Border);
  readBool(stored, "ColLines", report.ColLines);
  readBool(stored, "RowLines", report.RowLines);
  readInt(stored, "HorizontalGap", report.HorizontalGap);
  readInt(stored, "VerticalGapPct", report.VerticalGapPct);
  report.PageNumberPos = positionOf(stored["PageNumberPos"].toString(), report.PageNumberPos);
  readText(stored, "PageNumberLabel", report.PageNumberLabel);
  report.DatePos = positionOf(stored["DatePos"].toString(), report.DatePos);
  readText(stored, "DateLabel", report.DateLabel);
}

}  // namespace report
