// The main window: six tabs choose the table shown, a "Print" and a close
// button, and the places of the navigator, the search box and the grid.
// Built from its stored form description; its create handler selects the
// first tab and opens that tab's table. The window catches nothing: every
// failure goes to the application's top-level handler.
#pragma once

#include <QWidget>
#include <set>
#include <string>

#include "data/data_source.h"
#include "data/wwtable.h"
#include "edit/wwincrementalsearch.h"
#include "form_description.h"
#include "report/xvdbprn.h"

class QLabel;

namespace app {
class TDBNavigator;
}

namespace grid {
class TwwDBGrid;
}

namespace recordview {
class TwwRecordViewDialog;
}

namespace toolkit {
class BevelPanel;
class GlyphButton;
class TabControl;
}  // namespace toolkit

namespace app {

class TKorvelfrm : public QWidget {
  Q_OBJECT
 public:
  explicit TKorvelfrm(const FormDescription& form, QWidget* parent = nullptr);
  ~TKorvelfrm() override;

  // The components, under their stored names. The search box's place holds
  // an empty frame of its stored geometry until that control exists.
  toolkit::BevelPanel* Panel1;
  TDBNavigator* DBNavigator1;
  toolkit::TabControl* TabControl1;
  QLabel* Label1;
  edit::TwwIncrementalSearch* wwIncrementalSearch1;
  toolkit::GlyphButton* BitBtn3;
  toolkit::GlyphButton* BitBtn2;
  toolkit::BevelPanel* Panel2;
  grid::TwwDBGrid* wwDBGrid1;
  data::TwwTable wwTable1;
  data::TwwDataSource wwDataSource1;
  // Shows the current row as a form; owned by the window.
  recordview::TwwRecordViewDialog* wwRecordViewDialog1;
  report::TxvDBPrint xvDBPrint1;

 public slots:
  void BitBtn2Click(QObject* Sender);
  void TabNew(const std::string& name, int index);
  void Handlechoice();
  void TabControl1Change(QObject* Sender);
  void FormCreate(QObject* Sender);
  void wwDBGrid1DblClick(QObject* Sender);
  void BitBtn3Click(QObject* Sender);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void build(const FormDescription& form);
  void runCreateHandler();
  void tellWhyReadOnly();

  // Tables whose read-only reason the user has been told this run.
  std::set<std::string> toldReadOnly_;
};

}  // namespace app
