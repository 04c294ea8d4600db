// The incremental search box: while the user types, the data set moves to the
// first row whose search field begins with the typed text. The search runs
// once typing pauses (a one-shot timer restarted by every key release that
// may change the text), as a seek in the current index for a key field and
// as a scan of the rows for any other field. Optionally the box completes the
// text with the value found, selecting the completion.
//
// The box keeps no state per table: it follows whatever its data source's
// data set shows. Configuration faults are warnings; a text that does not fit
// the key or finds nothing is silent.
#pragma once

#include <QLineEdit>
#include <functional>
#include <memory>
#include <string>

#include "data/data_link.h"
#include "toolkit/timer.h"

namespace data {
class TDataSet;
class TField;
class TwwDataSource;
}  // namespace data

namespace edit {

enum class TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

class TwwIncrementalSearch : public QLineEdit {
  Q_OBJECT
 public:
  explicit TwwIncrementalSearch(QWidget* parent = nullptr);
  ~TwwIncrementalSearch() override;

  data::TwwDataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(data::TwwDataSource* source) { link_.SetDataSource(source); }
  // The field searched; empty: the first field of the current index.
  std::string SearchField;
  bool ShowMatchText = false;
  std::function<void(QObject* Sender, bool MatchFound)> OnAfterSearch;
  std::function<void(QObject* Sender, QKeyEvent* event)> OnKeyUp;
  TEditCharCase CharCase() const { return charCase_; }
  void SetCharCase(TEditCharCase charCase);

  // Empties the box and forgets the last search, so the next text is searched
  // even if it equals the previous one.
  void Clear();

  static constexpr int kSearchDelay = 333;
  // The one-shot search timer (tests advance it by hand).
  const toolkit::Timer& SearchTimer() const { return *timer_; }
  // The timer's tick: searches when the text changed since the last search.
  void TimerTick();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  void Search();
  bool IndexSearch(const std::string& text, int position);
  bool ScanSearch(data::TField* field, const std::string& text);
  void ShowMatch(data::TField* field);
  void Warn(const std::string& message);

  // A plain link: it follows no data-set event.
  data::TDataLink link_;
  std::unique_ptr<toolkit::Timer> timer_;
  QString lastSearched_;
  TEditCharCase charCase_ = TEditCharCase::ecNormal;
};

}  // namespace edit
