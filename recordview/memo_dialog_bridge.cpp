#include "recordview/memo_dialog_bridge.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "data/data_set.h"
#include "data/field.h"
#include "recordview/field_memo.h"
#include "recordview/table_text.h"

namespace recordview {

// A plain editing window stands in for the component set's memo dialog
// until that dialog is available: the field's text, OK writes it back into
// the field (the row stays in edit state), Cancel leaves it.
void OpenMemoDialog(FieldMemo& memo) {
  data::TField* field = memo.Field();
  if (!field) return;
  const int caret = memo.textCursor().position();
  memo.FinishEdit();

  QDialog window(memo.window());
  window.setObjectName("MemoDialog");
  window.setWindowTitle(ShownText(field->FieldName()));
  window.resize(561, 396);
  auto* text = new QPlainTextEdit(&window);
  text->setPlainText(ShownText(field->AsString()));
  text->setFont(memo.font());
  QTextCursor cursor = text->textCursor();
  cursor.setPosition(std::min(caret, static_cast<int>(text->toPlainText().size())));
  text->setTextCursor(cursor);
  text->setReadOnly(!field->CanModify());
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &window);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &window, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &window, &QDialog::reject);
  auto* layout = new QVBoxLayout(&window);
  layout->addWidget(text);
  layout->addWidget(buttons);
  if (window.exec() != QDialog::Accepted || text->isReadOnly()) return;
  if (!text->document()->isModified()) return;
  field->DataSet()->Edit();
  field->SetAsString(TableText(text->toPlainText()));
}

}  // namespace recordview
