// The record view dialog's settings as a form description stores them: a
// JSON object of its published properties, fonts and the form position as
// objects of their own. A property the object does not hold keeps its value.
#pragma once

#include <QJsonObject>

namespace recordview {

class TwwRecordViewDialog;

// Reads every published property but DataSource and Menu, which name other
// components of the form and are bound by the form.
void ReadStoredSettings(TwwRecordViewDialog& dialog, const QJsonObject& stored);

}  // namespace recordview
