// A field of a data set: its description, its presentation settings, and its
// value in the data set's active record. Values are read from and written to
// the record buffer the owning data set points at; texts follow the locale
// settings.
#pragma once

#include <string>

#include "field_value.h"
#include "toolkit/number_text.h"

namespace data {

class TDataSet;

enum class TFieldType {
  ftUnknown,
  ftString,
  ftSmallint,
  ftInteger,
  ftWord,
  ftBoolean,
  ftFloat,
  ftCurrency,
  ftBCD,
  ftDate,
  ftTime,
  ftDateTime,
  ftBytes,
  ftAutoInc,
  ftBlob,
  ftMemo,
  ftGraphic,
  ftFmtMemo,
  ftParadoxOle,
};

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

// The field type of a store type letter ('A', 'N', ...).
TFieldType FieldTypeOfStoreType(char storeType);
int DefaultDisplayWidth(TFieldType type, int size);
bool IsBlobType(TFieldType type);
bool IsNumericType(TFieldType type);

class TField {
 public:
  TField(TDataSet* dataSet, int fieldNo, std::string name, TFieldType type, int size);

  TDataSet* DataSet() const { return dataSet_; }
  const std::string& FieldName() const { return name_; }
  int FieldNo() const { return fieldNo_; }
  TFieldType DataType() const { return type_; }
  int Size() const { return size_; }

  const std::string& DisplayLabel() const { return displayLabel_; }
  void SetDisplayLabel(const std::string& label);
  const std::string& DisplayName() const { return displayLabel_.empty() ? name_ : displayLabel_; }
  int DisplayWidth() const { return displayWidth_; }
  void SetDisplayWidth(int width);
  // Position among the data set's fields; setting it moves the field.
  int Index() const;
  void SetIndex(int index);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment) { alignment_ = alignment; }
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
  bool Calculated() const { return calculated_; }
  void SetCalculated(bool calculated) { calculated_ = calculated; }
  bool Required() const { return required_; }
  void SetRequired(bool required) { required_ = required; }
  const std::string& EditMask() const { return editMask_; }
  void SetEditMask(const std::string& mask) { editMask_ = mask; }
  bool IsBlob() const { return IsBlobType(type_); }
  // Writable through the data set: not read-only and the data set can be modified.
  bool CanModify() const;

  bool IsNull() const;
  // The value as text: numbers plainly with the locale's decimal separator
  // (floats up to 15 significant digits, BCD with exactly its decimals),
  // dates and times in the locale's formats, memos their text, logicals
  // "True" or "False". Texts are in the table's code page.
  std::string AsString() const;
  // What a control shows when not editing (currency in the locale's money
  // format), and what an editor starts with (as AsString, reading back
  // unchanged).
  std::string DisplayText() const;
  // Adds DisplayText() to out, for writing many values without a string each.
  void AppendDisplayText(std::string& out) const;
  std::string Text() const;
  int64_t AsInteger() const;
  double AsFloat() const;
  bool AsBoolean() const;
  const FieldValue& Value() const;

  // Setting a value needs the data set in edit or insert state. Text that does
  // not convert raises "'<text>' is not a valid <kind> value" and leaves the
  // value as it was; the empty text blanks the field.
  void SetAsString(const std::string& text);
  void SetText(const std::string& text) { SetAsString(text); }
  void SetAsInteger(int64_t value);
  void SetAsFloat(double value);
  void SetAsBoolean(bool value);
  void Clear();
  void SetValue(FieldValue value);

  // Moves the input focus to the control that shows this field.
  void FocusControl();

  // The value a text stands for in this field; raises as SetAsString does.
  FieldValue ValueOfText(const std::string& text) const;

 private:
  std::string TextOf(const FieldValue& value, bool forDisplay) const;
  void AppendTextOf(const FieldValue& value, bool forDisplay, std::string& out) const;
  // Numbers by the locale settings, with symbols in the table's code page.
  void AppendNumberText(double value, bool forDisplay, std::string& out) const;
  const toolkit::NumberSymbols& Symbols() const;

  TDataSet* dataSet_;
  int fieldNo_;
  std::string name_;
  TFieldType type_;
  int size_;
  std::string displayLabel_;
  int displayWidth_;
  TAlignment alignment_;
  bool visible_ = true;
  bool readOnly_ = false;
  bool calculated_ = false;
  bool required_ = false;
  std::string editMask_;
};

}  // namespace data
