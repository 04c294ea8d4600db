// The report printer's settings as a form description stores them: a JSON
// object of its published properties, fonts as objects of their own. A
// property the object does not hold keeps its value.
#pragma once

#include <QJsonObject>

namespace report {

class TxvDBPrint;

// Reads every published property but Table, which names another component
// of the form and is bound by the form.
void ReadStoredSettings(TxvDBPrint& report, const QJsonObject& stored);

}  // namespace report
