#include "field.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>

#include "data_set.h"
#include "data_set_error.h"
#include "toolkit/locale_settings.h"
#include "toolkit/number_text.h"
#include "value_text.h"

namespace data {

TFieldType FieldTypeOfStoreType(char storeType) {
  switch (storeType) {
    case 'A':
      return TFieldType::ftString;
    case 'D':
      return TFieldType::ftDate;
    case 'S':
      return TFieldType::ftSmallint;
    case 'I':
      return TFieldType::ftInteger;
    case '$':
      return TFieldType::ftCurrency;
    case 'N':
      return TFieldType::ftFloat;
    case 'L':
      return TFieldType::ftBoolean;
    case 'M':
      return TFieldType::ftMemo;
    case 'B':
      return TFieldType::ftBlob;
    case 'F':
      return TFieldType::ftFmtMemo;
    case 'O':
      return TFieldType::ftParadoxOle;
    case 'G':
      return TFieldType::ftGraphic;
    case 'T':
      return TFieldType::ftTime;
    case '@':
      return TFieldType::ftDateTime;
    case '+':
      return TFieldType::ftAutoInc;
    case '#':
      return TFieldType::ftBCD;
    case 'Y':
      return TFieldType::ftBytes;
  }
  return TFieldType::ftUnknown;
}

int DefaultDisplayWidth(TFieldType type, int size) {
  switch (type) {
    case TFieldType::ftString:
      return size > 0 ? size : 20;
    case TFieldType::ftSmallint:
      return 6;
    case TFieldType::ftWord:
      return 5;
    case TFieldType::ftInteger:
    case TFieldType::ftAutoInc:
      return 11;
    case TFieldType::ftBoolean:
      return 5;
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
    case TFieldType::ftBCD:
    case TFieldType::ftDate:
    case TFieldType::ftTime:
      return 10;
    case TFieldType::ftDateTime:
      return 18;
    case TFieldType::ftBytes:
      return size > 0 ? size * 2 : 10;
    default:
      return 10;
  }
}

bool IsBlobType(TFieldType type) {
  return type == TFieldType::ftBlob || type == TFieldType::ftMemo ||
         type == TFieldType::ftGraphic || type == TFieldType::ftFmtMemo ||
         type == TFieldType::ftParadoxOle;
}

bool IsNumericType(TFieldType type) {
  switch (type) {
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftWord:
    case TFieldType::ftAutoInc:
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
    case TFieldType::ftBCD:
      return true;
    default:
      return false;
  }
}

namespace {

bool IsIntegerType(TFieldType type) {
  return type == TFieldType::ftSmallint || type == TFieldType::ftInteger ||
         type == TFieldType::ftWord || type == TFieldType::ftAutoInc;
}

constexpr int64_t kMillisecondsPerDay = 86400000;

[[noreturn]] void Invalid(const std::string& text, const char* kind) {
  throw EDatabaseError(messages::Format(messages::kInvalidValue, text, kind));
}

bool StartsWithIgnoringCase(const std::string& word, const std::string& text) {
  if (text.empty() || text.size() > word.size()) return false;
  for (size_t i = 0; i < text.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(word[i])) !=
        std::tolower(static_cast<unsigned char>(text[i])))
      return false;
  return true;
}

}  // namespace

TField::TField(TDataSet* dataSet, int fieldNo, std::string name, TFieldType type, int size)
    : dataSet_(dataSet),
      fieldNo_(fieldNo),
      name_(std::move(name)),
      type_(type),
      size_(size),
      displayWidth_(DefaultDisplayWidth(type, size)),
      alignment_(IsNumericType(type) ? TAlignment::taRightJustify : TAlignment::taLeftJustify),
      // The store numbers these itself.
      readOnly_(type == TFieldType::ftAutoInc) {}

void TField::SetDisplayLabel(const std::string& label) {
  displayLabel_ = label;
  if (dataSet_) dataSet_->FieldLayoutChanged();
}

void TField::SetDisplayWidth(int width) {
  displayWidth_ = width;
  if (dataSet_) dataSet_->FieldLayoutChanged();
}

void TField::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  if (dataSet_) dataSet_->FieldLayoutChanged();
}

int TField::Index() const {
  if (!dataSet_) return -1;
  for (int i = 0; i < dataSet_->FieldCount(); ++i)
    if (dataSet_->Fields(i) == this) return i;
  return -1;
}

void TField::SetIndex(int index) {
  if (dataSet_) dataSet_->MoveField(this, index);
}

bool TField::CanModify() const {
  return !readOnly_ && dataSet_ && dataSet_->CanModify();
}

const FieldValue& TField::Value() const {
  return dataSet_->ValueOf(*this);
}

bool TField::IsNull() const {
  return IsBlank(Value());
}

std::string TField::TextOf(const FieldValue& value, bool forDisplay) const {
  std::string text;
  AppendTextOf(value, forDisplay, text);
  return text;
}

void TField::AppendTextOf(const FieldValue& value, bool forDisplay, std::string& out) const {
  if (IsBlank(value)) return;
  if (const auto* text = std::get_if<std::string>(&value)) {
    if (forDisplay && IsBlobType(type_) && type_ != TFieldType::ftMemo &&
        type_ != TFieldType::ftFmtMemo)
      out += "(BLOB)";
    else
      out += *text;
    return;
  }
  if (const auto* number = std::get_if<double>(&value)) {
    AppendNumberText(*number, forDisplay, out);
    return;
  }
  if (const auto* integer = std::get_if<int64_t>(&value)) {
    switch (type_) {
      case TFieldType::ftBoolean:
        out += *integer ? "True" : "False";
        return;
      case TFieldType::ftDate:
        AppendDate(out, DateOfDayNumber(*integer), toolkit::localeSettings());
        return;
      case TFieldType::ftTime:
        AppendTime(out, TimeOfMilliseconds(*integer), toolkit::localeSettings());
        return;
      case TFieldType::ftDateTime: {
        const toolkit::LocaleSettings& locale = toolkit::localeSettings();
        int64_t day = *integer / kMillisecondsPerDay;
        int64_t time = *integer % kMillisecondsPerDay;
        AppendDate(out, DateOfDayNumber(day), locale);
        // Midnight shows as the date alone.
        if (time != 0) {
          out += ' ';
          AppendTime(out, TimeOfMilliseconds(time), locale);
        }
        return;
      }
      case TFieldType::ftFloat:
      case TFieldType::ftCurrency:
      case TFieldType::ftBCD:
        AppendNumberText(static_cast<double>(*integer), forDisplay, out);
        return;
      default: {
        char digits[24];
        const auto written = std::to_chars(digits, digits + sizeof digits, *integer);
        out.append(digits, written.ptr);
        return;
      }
    }
  }
}

const toolkit::NumberSymbols& TField::Symbols() const {
  if (dataSet_ != nullptr) return dataSet_->TableNumberSymbols();
  // A field of no data set is made only by hand; its symbols are made anew
  // each time, and kept until the next call.
  static toolkit::NumberSymbols unowned;
  unowned = toolkit::numberSymbols(toolkit::localeSettings(), nullptr);
  return unowned;
}

void TField::AppendNumberText(double value, bool forDisplay, std::string& out) const {
  const toolkit::NumberSymbols& symbols = Symbols();
  switch (type_) {
    case TFieldType::ftCurrency: {
      const toolkit::LocaleSettings& locale = toolkit::localeSettings();
      if (forDisplay) {
        out += toolkit::formatMoney(value, locale, symbols);
        return;
      }
      // The edit text is plain, with the money's decimals unless the value
      // has more: it must read back unchanged.
      std::string plain = toolkit::formatNumber(value, locale.currencyDecimals, false, symbols);
      if (toolkit::parseNumber(plain, symbols) == value)
        out += plain;
      else
        toolkit::appendNumber(out, value, -1, false, symbols);
      return;
    }
    case TFieldType::ftBCD:
      toolkit::appendNumber(out, value, std::clamp(size_, 0, 32), false, symbols);
      return;
    default:
      toolkit::appendNumber(out, value, -1, false, symbols);
  }
}

std::string TField::AsString() const {
  return TextOf(Value(), false);
}
std::string TField::DisplayText() const {
  return TextOf(Value(), true);
}
void TField::AppendDisplayText(std::string& out) const {
  AppendTextOf(Value(), true, out);
}
std::string TField::Text() const {
  return TextOf(Value(), false);
}

int64_t TField::AsInteger() const {
  const FieldValue& value = Value();
  if (const auto* integer = std::get_if<int64_t>(&value)) return *integer;
  if (const auto* number = std::get_if<double>(&value)) return std::llround(*number);
  if (const auto* text = std::get_if<std::string>(&value)) {
    if (!IsValidInteger(*text) || text->empty()) Invalid(*text, "integer");
    return std::strtoll(text->c_str(), nullptr, 10);
  }
  return 0;
}

double TField::AsFloat() const {
  const FieldValue& value = Value();
  if (const auto* integer = std::get_if<int64_t>(&value)) return static_cast<double>(*integer);
  if (const auto* number = std::get_if<double>(&value)) return *number;
  if (const auto* text = std::get_if<std::string>(&value)) {
    const std::optional<double> number = toolkit::parseNumber(*text, Symbols());
    if (!number) Invalid(*text, "floating point");
    return *number;
  }
  return 0;
}

bool TField::AsBoolean() const {
  const FieldValue& value = Value();
  if (const auto* integer = std::get_if<int64_t>(&value)) return *integer != 0;
  if (const auto* number = std::get_if<double>(&value)) return *number != 0;
  return false;
}

FieldValue TField::ValueOfText(const std::string& text) const {
  if (text.empty()) return FieldValue{};
  const toolkit::LocaleSettings& locale = toolkit::localeSettings();
  if (IsIntegerType(type_)) {
    if (!IsValidInteger(text) || text.size() > 19) Invalid(text, "integer");
    int64_t value = std::strtoll(text.c_str(), nullptr, 10);
    int64_t low = type_ == TFieldType::ftSmallint ? -32767 : -2147483647;
    int64_t high = type_ == TFieldType::ftSmallint ? 32767 : 2147483647;
    if (value < low || value > high) Invalid(text, "integer");
    return value;
  }
  switch (type_) {
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
    case TFieldType::ftBCD: {
      // A currency field also takes its display text back.
      const std::optional<double> value = type_ == TFieldType::ftCurrency
                                              ? toolkit::parseMoney(text, locale, Symbols())
                                              : toolkit::parseNumber(text, Symbols());
      if (!value) Invalid(text, "floating point");
      return *value;
    }
    case TFieldType::ftDate: {
      auto date = ParseDate(text, locale);
      if (!date) Invalid(text, "date");
      return DayNumber(*date);
    }
    case TFieldType::ftTime: {
      auto time = ParseTime(text, locale);
      if (!time) Invalid(text, "time");
      return Milliseconds(*time);
    }
    case TFieldType::ftDateTime: {
      auto stamp = ParseDateTime(text, locale, true);
      if (!stamp) Invalid(text, "date and time");
      return DayNumber(stamp->first) * kMillisecondsPerDay + Milliseconds(stamp->second);
    }
    case TFieldType::ftBoolean:
      if (StartsWithIgnoringCase("True", text)) return int64_t{1};
      if (StartsWithIgnoringCase("False", text)) return int64_t{0};
      Invalid(text, "boolean");
    case TFieldType::ftString:
      // Alpha fields hold at most their declared size.
      if (size_ > 0 && static_cast<int>(text.size()) > size_)
        return text.substr(0, static_cast<size_t>(size_));
      return text;
    default:
      return text;
  }
}

void TField::SetAsString(const std::string& text) {
  SetValue(ValueOfText(text));
}

void TField::SetAsInteger(int64_t value) {
  if (IsIntegerType(type_) || type_ == TFieldType::ftBoolean)
    SetValue(value);
  else if (IsNumericType(type_))
    SetValue(static_cast<double>(value));
  else
    SetAsString(std::to_string(value));
}

void TField::SetAsFloat(double value) {
  // No field keeps an infinity or NaN: they would store values no user meant.
  if (!std::isfinite(value) && IsNumericType(type_))
    Invalid(toolkit::formatNumber(value, -1, false, Symbols()), "floating point");
  if (IsIntegerType(type_))
    SetValue(ValueOfText(std::to_string(std::llround(value))));
  else if (IsNumericType(type_))
    SetValue(value);
  else
    SetAsString(toolkit::formatNumber(value, -1, false, Symbols()));
}

void TField::SetAsBoolean(bool value) {
  SetValue(int64_t{value ? 1 : 0});
}

void TField::Clear() {
  SetValue(FieldValue{});
}

void TField::SetValue(FieldValue value) {
  dataSet_->SetValueOf(*this, std::move(value));
}

void TField::FocusControl() {
  if (dataSet_) dataSet_->FocusField(this);
}

}  // namespace data
