// F2 in a record view memo: the memo's pending lines go into the field, then
// the field opens in the memo dialog with the memo's font and caret.
#pragma once

namespace recordview {

class FieldMemo;

void OpenMemoDialog(FieldMemo& memo);

}  // namespace recordview
