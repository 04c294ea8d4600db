#include "recordview/memo_dialog_bridge.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <algorithm>

#include "data/field.h"
#include "grid/wwmemo.h"
#include "recordview/field_memo.h"

namespace recordview {

void OpenMemoDialog(FieldMemo& memo) {
  data::TField* field = memo.Field();
  if (!field) return;
  const int caret = memo.textCursor().position();
  memo.FinishEdit();

  grid::TwwMemoDialog dialog;
  dialog.DataSource = memo.DataSource();
  dialog.DataField = field->FieldName();
  dialog.Caption = field->FieldName();
  dialog.Font = memo.Font;
  if (!field->CanModify()) dialog.MemoAttributes.insert(grid::TMemoAttribute::mViewOnly);
  dialog.OnInitDialog = [caret](grid::TwwMemoDlg& window) {
    QTextCursor cursor = window.Memo->textCursor();
    cursor.setPosition(std::min(caret, static_cast<int>(window.Memo->toPlainText().size())));
    window.Memo->setTextCursor(cursor);
  };
  dialog.Execute();
}

}  // namespace recordview
