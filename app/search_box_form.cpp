#include "app/search_box_form.h"

#include "app/form_description.h"

namespace app {

edit::TwwIncrementalSearch* CreateSearchBox(const QJsonObject& settings, QWidget* parent,
                                            data::TwwDataSource* source) {
  auto* box = new edit::TwwIncrementalSearch(parent);
  box->setObjectName(settings["name"].toString());
  box->setGeometry(FormDescription::bounds(settings));
  const QString charCase = settings["CharCase"].toString();
  if (charCase == "ecUpperCase") box->SetCharCase(edit::TEditCharCase::ecUpperCase);
  if (charCase == "ecLowerCase") box->SetCharCase(edit::TEditCharCase::ecLowerCase);
  box->SearchField = settings["SearchField"].toString().toStdString();
  box->ShowMatchText = settings["ShowMatchText"].toBool(false);
  if (settings["DataSource"].toString() == "wwDataSource1") box->SetDataSource(source);
  return box;
}

}  // namespace app
