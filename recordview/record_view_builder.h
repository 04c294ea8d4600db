// Fills an empty record view window: the navigator panel, the record panel
// with its scroll box, the button panel with OK and Cancel, one label and
// one control per shown field placed by the layout, and the window's size
// and place on the work area.
#pragma once

#include <string>
#include <vector>

namespace data {
class TDataSet;
class TField;
}  // namespace data

namespace recordview {

class TwwRecordViewDialog;
class TwwRecordViewForm;

// A field to show, with the width and label it is shown with.
struct ShownField {
  data::TField* field;
  int displayWidth;
  std::string label;
};

// The fields the dialog shows, in order: those its Selected list names
// (entries naming no field are kept as row breaks, field null), or every
// field of the data set; less those the options hide.
std::vector<ShownField> ShownFields(const TwwRecordViewDialog& dialog, data::TDataSet& dataSet);

void BuildRecordView(TwwRecordViewDialog& dialog, TwwRecordViewForm& form);

}  // namespace recordview
