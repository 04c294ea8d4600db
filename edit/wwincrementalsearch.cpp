#include "edit/wwincrementalsearch.h"

#include <QApplication>
#include <QKeyEvent>
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "data/data_source.h"
#include "data/value_text.h"
#include "data/wwtable.h"
#include "edit/search_keys.h"
#include "edit/table_text.h"
#include "edit/wwdbedit_texts.h"
#include "intl/international_strings.h"
#include "toolkit/locale_settings.h"
#include "toolkit/text_codec.h"
#include "toolkit/ui_services.h"

namespace edit {

using data::TDataSet;
using data::TField;
using data::TFieldType;

namespace {

bool HasClass(const TDataSet* dataSet, const std::string& name) {
  auto names = dataSet->ClassNames();
  return std::find(names.begin(), names.end(), name) != names.end();
}

// Field names compare without regard to ASCII case.
std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool IsIntegerType(TFieldType type) {
  return type == TFieldType::ftSmallint || type == TFieldType::ftInteger ||
         type == TFieldType::ftWord || type == TFieldType::ftAutoInc;
}

bool IsFloatType(TFieldType type) {
  return type == TFieldType::ftFloat || type == TFieldType::ftCurrency || type == TFieldType::ftBCD;
}

bool IsTextKey(TFieldType type) {
  return !IsIntegerType(type) && !IsFloatType(type) && type != TFieldType::ftDate &&
         type != TFieldType::ftTime && type != TFieldType::ftDateTime;
}

// Whether the text can stand for a value of the key field's type.
bool FitsKeyType(const std::string& text, TFieldType type) {
  const auto& locale = toolkit::localeSettings();
  if (IsIntegerType(type)) return data::IsValidInteger(text);
  if (IsFloatType(type)) return data::IsValidFloat(text);
  switch (type) {
    case TFieldType::ftDate:
      return data::IsValidDate(text, locale);
    case TFieldType::ftTime:
      return data::IsValidTime(text, locale);
    case TFieldType::ftDateTime:
      return data::IsValidDateTime(text, locale) || data::IsValidDate(text, locale);
    default:
      return true;
  }
}

// Whether the row now current matches the text on the key field.
bool KeyMatches(TField* field, const std::string& text) {
  const TFieldType type = field->DataType();
  if (type == TFieldType::ftFloat || type == TFieldType::ftCurrency) {
    if (text.empty()) return field->Text().empty();
    return !field->IsNull() && std::strtod(text.substr(0, 63).c_str(), nullptr) == field->AsFloat();
  }
  if (IsIntegerType(type)) return text == field->AsString();
  // Lower case by the rules of the table's code page.
  const toolkit::TextCodec& codec = field->DataSet()->textCodec();
  return codec.lowerCase(field->AsString()).compare(0, text.size(), codec.lowerCase(text)) == 0;
}

// Hourglass and quiet controls while the data set moves more than once.
class BusyMove {
 public:
  explicit BusyMove(TDataSet* dataSet) : dataSet_(dataSet) {
    previous_ = toolkit::ui().cursor();
    toolkit::ui().setCursor(toolkit::CursorShape::kHourGlass);
    dataSet_->DisableControls();
  }
  ~BusyMove() {
    dataSet_->EnableControls();
    toolkit::ui().setCursor(previous_);
  }
  BusyMove(const BusyMove&) = delete;
  BusyMove& operator=(const BusyMove&) = delete;

 private:
  TDataSet* dataSet_;
  toolkit::CursorShape previous_;
};

}  // namespace

TwwIncrementalSearch::TwwIncrementalSearch(QWidget* parent)
    : QLineEdit(parent), timer_(toolkit::timers().createTimer()) {
  timer_->setSingleShot(true);
  timer_->setInterval(kSearchDelay);
  timer_->stop();
  timer_->onTimeout = [this] { TimerTick(); };
  setText(QString());
}

TwwIncrementalSearch::~TwwIncrementalSearch() {
  timer_->onTimeout = nullptr;
}

void TwwIncrementalSearch::SetCharCase(TEditCharCase charCase) {
  charCase_ = charCase;
  if (charCase == TEditCharCase::ecUpperCase) setText(text().toUpper());
  if (charCase == TEditCharCase::ecLowerCase) setText(text().toLower());
}

void TwwIncrementalSearch::Clear() {
  setText(QString());
  lastSearched_.clear();
}

void TwwIncrementalSearch::Warn(const std::string& message) {
  toolkit::ui().showMessage(message, QApplication::applicationName().toStdString(),
                            toolkit::MessageKind::kWarning, toolkit::MessageButtons::kOk);
}

void TwwIncrementalSearch::keyPressEvent(QKeyEvent* event) {
  if (charCase_ == TEditCharCase::ecNormal || event->text().isEmpty()) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  QString typed =
      charCase_ == TEditCharCase::ecUpperCase ? event->text().toUpper() : event->text().toLower();
  QKeyEvent cased(event->type(), event->key(), event->modifiers(), typed, event->isAutoRepeat(),
                  static_cast<ushort>(event->count()));
  QLineEdit::keyPressEvent(&cased);
  event->setAccepted(cased.isAccepted());
}

void TwwIncrementalSearch::keyReleaseEvent(QKeyEvent* event) {
  QLineEdit::keyReleaseEvent(event);
  if (OnKeyUp) OnKeyUp(this, event);
  if (text() == lastSearched_) return;
  const int code = VirtualKeyCode(*event);
  if (!IsSearchKey(code)) return;
  if (ShowMatchText && (code == 8 || code == 46)) {
    // The key took away (part of) a completion: no search.
    auto* table = DataSource() ? dynamic_cast<data::TwwTable*>(DataSource()->DataSet()) : nullptr;
    if (table && table->Active() && table->NarrowSearch && text().isEmpty())
      table->CancelNarrowSearchRange();
    return;
  }
  timer_->stop();
  if (!DataSource()) {
    Warn(texts::kDataSourceNotDefined + objectName().toStdString());
    return;
  }
  TDataSet* dataSet = DataSource()->DataSet();
  if (!dataSet) {
    Warn(texts::kDataSetNotDefined);
    return;
  }
  auto* table = dynamic_cast<data::TwwTable*>(dataSet);
  const bool sqlBased = table && table->IsSQLBased();
  if (!HasClass(dataSet, "TwwClientDataSet") && dataSet->Active() && !sqlBased)
    timer_->setInterval(kSearchDelay / 2);
  timer_->start(timer_->interval());
}

void TwwIncrementalSearch::TimerTick() {
  timer_->stop();
  if (text() == lastSearched_) return;
  Search();
  lastSearched_ = text();
}

void TwwIncrementalSearch::Search() {
  if (!DataSource() || !DataSource()->DataSet() || !DataSource()->DataSet()->Active()) return;
  TDataSet* dataSet = DataSource()->DataSet();
  std::optional<std::string> typed = ScreenTextToTable(dataSet, text());

  TField* named = SearchField.empty() ? nullptr : dataSet->FindField(SearchField);
  bool match = false;
  // Three ways of searching can never be reached with this program's data
  // sets, so they are not here:
  // - a table holding a query, searched by scan for want of an index: a
  //   table given a query refuses to open, and only an open one is searched;
  // - a table of another format whose current index is built on an
  //   expression, searched through the field the expression names: the
  //   store reads Paradox tables only, and their indexes are made of
  //   fields, never of expressions;
  // - a data set made by running a query, searched by scan or Locate: the
  //   data layer has no such data sets, every one is a table's.
  if (!typed) {
    // A character the table cannot hold matches no row.
  } else {
    const int keys = dataSet->IndexFieldCount();
    if (keys > 0) {
      int position = SearchField.empty() ? 0 : -1;
      for (int i = 0; i < keys && position < 0; ++i) {
        TField* key = dataSet->IndexFields(i);
        if (key && Lower(key->FieldName()) == Lower(SearchField)) position = i;
      }
      // A search field outside the index is scanned for, rather than its
      // text being looked up in the index's first field.
      if (position < 0 && named)
        match = ScanSearch(named, *typed);
      else
        match = IndexSearch(*typed, std::max(position, 0));
    } else {
      if (!named && dataSet->FieldCount() > 0) named = dataSet->Fields(0);
      match = named && ScanSearch(named, *typed);
    }
  }
  if (OnAfterSearch) OnAfterSearch(this, match);
  if (match && ShowMatchText) ShowMatch(named ? named : dataSet->IndexFields(0));
}

bool TwwIncrementalSearch::IndexSearch(const std::string& text, int position) {
  TDataSet* dataSet = DataSource()->DataSet();
  auto* table = dynamic_cast<data::TwwTable*>(dataSet);
  if (!table) {
    Warn(texts::kTTableNotSupported);
    return false;
  }
  const int keys = table->IndexFieldCount();
  if (keys == 0) {
    Warn("Table " + table->Name + texts::kIndexNotFound);
    return false;
  }
  TField* key = table->IndexFields(position);
  if (!key || !FitsKeyType(text, key->DataType())) return false;
  const bool textKey = IsTextKey(key->DataType());

  if (table->NarrowSearch) {
    BusyMove busy(table);
    if (textKey)
      table->NarrowToPrefix(text);
    else
      table->SetRange({text}, {});
  } else if (intl::GlobalIntl().UseLocateMethodForSearch()) {
    data::TDataSet::LocateOptions options;
    options.partialKey = true;
    options.caseInsensitive = table->IndexCaseInsensitive();
    if (text.empty()) {
      table->First();
    } else {
      std::string names;
      std::vector<std::string> values;
      for (int i = 0; i < position; ++i) {
        names += table->IndexFields(i)->FieldName() + ";";
        values.push_back(table->IndexFields(i)->AsString());
      }
      names += key->FieldName();
      values.push_back(text);
      table->Locate(names, values, options);
    }
  } else if (position <= 3) {
    std::vector<std::string> values;
    for (int i = 0; i < position; ++i) values.push_back(table->IndexFields(i)->Text());
    values.push_back(text);
    table->FindNearest(values);
  }
  return KeyMatches(key, text);
}

bool TwwIncrementalSearch::ScanSearch(TField* field, const std::string& text) {
  TDataSet* dataSet = DataSource()->DataSet();
  const toolkit::TextCodec& codec = dataSet->textCodec();
  if (codec.lowerCase(field->AsString()) == codec.lowerCase(text)) return true;
  BusyMove busy(dataSet);
  data::TDataSet::LocateOptions options;
  options.partialKey = true;
  options.caseInsensitive = true;
  return dataSet->Locate(field->FieldName(), {text}, options);
}

void TwwIncrementalSearch::ShowMatch(TField* field) {
  if (!field) return;
  const int typedLength = static_cast<int>(text().size());
  setText(TableTextToScreen(DataSource()->DataSet(), field->AsString()));
  const int length = static_cast<int>(text().size());
  setSelection(std::min(typedLength, length), std::max(0, length - typedLength));
}

}  // namespace edit
