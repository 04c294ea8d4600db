// A stored form description: the window's own settings and those of every
// component it owns, by component name, as the program's resources keep
// them. The window is built from it; later components read their settings
// from it by their names.
#pragma once

#include <QJsonObject>
#include <QRect>
#include <QString>

namespace app {

class FormDescription {
 public:
  // Throws std::runtime_error when the description is missing or unreadable.
  static FormDescription load(const QString& path);
  // The main window's description from the program's resources.
  static FormDescription korveel();

  const QJsonObject& form() const { return form_; }
  // The component's settings, searched through the whole tree; throws
  // std::runtime_error for an unknown name.
  QJsonObject component(const QString& name) const;
  // Left, Top, Width and Height of a component.
  static QRect bounds(const QJsonObject& component);

 private:
  QJsonObject form_;
};

}  // namespace app
