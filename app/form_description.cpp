#include "form_description.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <optional>
#include <stdexcept>

static void initResources() {
  Q_INIT_RESOURCE(resources);
}

namespace app {

namespace {

std::optional<QJsonObject> findComponent(const QJsonObject& parent, const QString& name) {
  for (const QJsonValue& child : parent["components"].toArray()) {
    QJsonObject object = child.toObject();
    if (object["name"].toString() == name) return object;
    if (auto found = findComponent(object, name)) return found;
  }
  return std::nullopt;
}

}  // namespace

FormDescription FormDescription::load(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    throw std::runtime_error("Cannot read the form description " + path.toStdString());
  }
  QJsonParseError error{};
  QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
  if (!document.isObject()) {
    throw std::runtime_error("Form description " + path.toStdString() +
                             " is damaged: " + error.errorString().toStdString());
  }
  FormDescription description;
  description.form_ = document.object();
  return description;
}

FormDescription FormDescription::korveel() {
  initResources();
  return load(":/forms/korveel.json");
}

QJsonObject FormDescription::component(const QString& name) const {
  if (auto found = findComponent(form_, name)) return *found;
  throw std::runtime_error("Form description has no component " + name.toStdString());
}

QRect FormDescription::bounds(const QJsonObject& component) {
  return QRect(component["Left"].toInt(), component["Top"].toInt(), component["Width"].toInt(),
               component["Height"].toInt());
}

}  // namespace app
