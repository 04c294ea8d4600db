// The window's search box, built from its stored settings and bound to the
// window's data source.
#pragma once

#include <QJsonObject>

#include "edit/wwincrementalsearch.h"

namespace data {
class TwwDataSource;
}

namespace app {

edit::TwwIncrementalSearch* CreateSearchBox(const QJsonObject& settings, QWidget* parent,
                                            data::TwwDataSource* source);

}  // namespace app
