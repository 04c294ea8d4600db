// The edit mask in the grid's cells: the same mask, parsed the same way, as
// the edit box on the field uses, so that a cell and a box behave alike.
#include <QApplication>
#include <QMetaObject>

#include "data/data_set.h"
#include "data/wwtable.h"
#include "grid/wwdbgrid.h"
#include "toolkit/locale_settings.h"
#include "toolkit/ui_services.h"

namespace grid {

namespace {

// A picture used in the grid takes precedence over the edit mask, as in the
// edit box.
bool PictureUsedInGrid(data::TDataSet* dataSet, const data::TField& field) {
  auto* table = dynamic_cast<data::TwwTable*>(dataSet);
  if (!table) return false;
  auto mask = table->FieldMask(field.FieldName(), true);
  return mask && mask->usePictureMaskInGrid && !mask->mask.empty();
}

std::optional<edit::EditMask> ParseFieldMask(data::TDataSet* dataSet, const data::TField& field,
                                             std::string* error) {
  if (field.EditMask().empty() || PictureUsedInGrid(dataSet, field)) return std::nullopt;
  return edit::EditMask::Parse(field.EditMask(), toolkit::localeSettings(),
                               dataSet ? &dataSet->textCodec() : nullptr, error);
}

}  // namespace

std::optional<edit::EditMask> TwwCustomDBGrid::CellEditMask() const {
  data::TField* field = SelectedField();
  if (!field || field->IsBlob()) return std::nullopt;
  std::optional<edit::EditMask> mask = ParseFieldMask(link_.DataSet(), *field, nullptr);
  // The stored value decides, not the text being typed: it stays the same
  // until the editor's text is written back, so the choice holds for the
  // whole edit.
  if (!mask || !mask->Format(field->Text())) return std::nullopt;
  return mask;
}

void TwwCustomDBGrid::WarnOfMalformedEditMask() {
  data::TField* field = SelectedField();
  if (!field || field->IsBlob()) return;
  std::string error;
  ParseFieldMask(link_.DataSet(), *field, &error);
  if (error.empty() || warnedEditMask_ == field->EditMask()) return;
  warnedEditMask_ = field->EditMask();
  // After the focus has settled: a box shown from inside a focus change
  // would take the focus in the middle of it.
  QMetaObject::invokeMethod(
      this,
      [error] {
        toolkit::ui().showMessage(error, QApplication::applicationName().toStdString(),
                                  toolkit::MessageKind::kWarning, toolkit::MessageButtons::kOk);
      },
      Qt::QueuedConnection);
}

}  // namespace grid
