#include "font_mapping.h"

#include <QFontDatabase>
#include <algorithm>
#include <array>
#include <cctype>
#include <map>

namespace toolkit {

namespace {

enum class Kind { kSans, kSerif, kMono };

struct Substitute {
  const char* storedName;  // lower case
  Kind kind;
};

constexpr std::array kSubstitutes{
    Substitute{"ms sans serif", Kind::kSans},    Substitute{"arial", Kind::kSans},
    Substitute{"helvetica", Kind::kSans},        Substitute{"tahoma", Kind::kSans},
    Substitute{"verdana", Kind::kSans},          Substitute{"small fonts", Kind::kSans},
    Substitute{"system", Kind::kSans},           Substitute{"ms serif", Kind::kSerif},
    Substitute{"times new roman", Kind::kSerif}, Substitute{"times", Kind::kSerif},
    Substitute{"courier new", Kind::kMono},      Substitute{"courier", Kind::kMono},
    Substitute{"fixedsys", Kind::kMono},         Substitute{"terminal", Kind::kMono},
    Substitute{"lucida console", Kind::kMono},
};

QString installedFamily(Kind kind) {
  const char* preferred = kind == Kind::kMono    ? "DejaVu Sans Mono"
                          : kind == Kind::kSerif ? "DejaVu Serif"
                                                 : "DejaVu Sans";
  if (QFontDatabase::hasFamily(preferred)) return preferred;
  if (kind == Kind::kSerif && QFontDatabase::hasFamily("DejaVu Sans")) return "DejaVu Sans";
  return QFontDatabase::systemFont(kind == Kind::kMono ? QFontDatabase::FixedFont
                                                       : QFontDatabase::GeneralFont)
      .family();
}

}  // namespace

static QString lookUpFamily(const std::string& storedName);

QString familyFor(const std::string& storedName) {
  // Asking the font database is slow and a grid asks for every cell it
  // paints; installed fonts do not change while the program runs.
  static std::map<std::string, QString> known;
  if (auto found = known.find(storedName); found != known.end()) return found->second;
  QString family = lookUpFamily(storedName);
  known.emplace(storedName, family);
  return family;
}

static QString lookUpFamily(const std::string& storedName) {
  std::string lower = storedName;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const Substitute& substitute : kSubstitutes)
    if (lower == substitute.storedName) return installedFamily(substitute.kind);
  const QString name = QString::fromStdString(storedName);
  if (!name.isEmpty() && QFontDatabase::hasFamily(name)) return name;
  return installedFamily(Kind::kSans);
}

QFont qtFont(const FontSpec& font, int pixelsPerInch) {
  QFont result(familyFor(font.name));
  result.setPixelSize(std::max(1, characterPixels(font, pixelsPerInch)));
  result.setBold(font.bold);
  result.setItalic(font.italic);
  result.setUnderline(font.underline);
  result.setStrikeOut(font.strikeOut);
  return result;
}

void applyFont(QWidget& widget, const FontSpec& font) {
  widget.setFont(qtFont(font));
  QPalette palette = widget.palette();
  const QColor colour = qtColor(font.color);
  // Disabled text keeps the desktop's greyed colour.
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    palette.setColor(QPalette::Active, role, colour);
    palette.setColor(QPalette::Inactive, role, colour);
  }
  widget.setPalette(palette);
}

QColor qtColor(Color color) {
  const Color rgb = color.toRgb();
  return QColor(rgb.red(), rgb.green(), rgb.blue());
}

}  // namespace toolkit
