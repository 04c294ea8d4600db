#include "korveel.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QJsonArray>
#include <QLabel>
#include <chrono>

#include "application.h"
#include "data/value_text.h"
#include "grid/wwdbgrid.h"
#include "grid_settings.h"
#include "navigator.h"
#include "recordview/record_view_stored.h"
#include "recordview/wwrcdvw.h"
#include "report/xvdbprn_form.h"
#include "search_box_form.h"
#include "toolkit/bevel_panel.h"
#include "toolkit/bitmap_resources.h"
#include "toolkit/font_mapping.h"
#include "toolkit/glyph_button.h"
#include "toolkit/locale_settings.h"
#include "toolkit/tab_control.h"
#include "toolkit/ui_services.h"

namespace app {

namespace {

// The tab-to-table map lives here and only here; the captions live only in
// the tab control's stored list of tabs.
constexpr const char* kTableOfTab[] = {"Portf",   "PortfDet", "Sectrans",
                                       "Account", "Acctr",    "UpdateSh"};
constexpr int kTabTables = sizeof kTableOfTab / sizeof kTableOfTab[0];

QFont storedFont(const QJsonObject& font) {
  toolkit::FontSpec fontSpec;
  fontSpec.name = font["Name"].toString().toStdString();
  fontSpec.height = font["Height"].toInt(fontSpec.height);
  return toolkit::qtFont(fontSpec);
}

toolkit::BevelPanel* raisedPanel(const QJsonObject& settings, QWidget* parent) {
  auto* panel = new toolkit::BevelPanel(parent);
  panel->setObjectName(settings["name"].toString());
  panel->setBevelOuter(toolkit::Bevel::kRaised);
  panel->setBevelWidth(settings["BevelWidth"].toInt(1));
  panel->setGeometry(FormDescription::bounds(settings));
  return panel;
}

// The place of a control that a later part of the program supplies: an empty
// frame with the control's name and stored geometry, so the layout holds.
QFrame* reservedPlace(const QJsonObject& settings, QWidget* parent) {
  auto* place = new QFrame(parent);
  place->setObjectName(settings["name"].toString());
  place->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  place->setGeometry(FormDescription::bounds(settings));
  return place;
}

toolkit::GlyphButton* glyphButton(const QJsonObject& settings, QWidget* parent) {
  auto* button = new toolkit::GlyphButton(parent);
  button->setObjectName(settings["name"].toString());
  if (settings["Kind"].toString() == "bkClose") button->setKind(toolkit::ButtonKind::kClose);
  button->setText(settings["Caption"].toString());
  if (settings.contains("Glyph")) {
    button->setGlyph(toolkit::bitmapResource(settings["Glyph"].toString()),
                     settings["NumGlyphs"].toInt(1));
  }
  button->setGeometry(FormDescription::bounds(settings));
  button->setAutoDefault(false);
  return button;
}

}  // namespace

TKorvelfrm::TKorvelfrm(const FormDescription& form, QWidget* parent) : QWidget(parent) {
  build(form);
  runCreateHandler();
}

// The controls hold links to the data source, a member that goes before the
// widget base would delete them: they go first.
TKorvelfrm::~TKorvelfrm() {
  delete wwRecordViewDialog1;
  delete Panel1;
  delete Panel2;
}

void TKorvelfrm::build(const FormDescription& form) {
  const QJsonObject& self = form.form();
  setObjectName(self["name"].toString());
  setWindowTitle(self["Caption"].toString());
  setFont(storedFont(self["Font"].toObject()));
  resize(self["ClientWidth"].toInt(), self["ClientHeight"].toInt());
  move(self["Left"].toInt(), self["Top"].toInt());

  Panel1 = raisedPanel(form.component("Panel1"), this);
  QJsonObject navigator = form.component("DBNavigator1");
  DBNavigator1 = new TDBNavigator(Panel1);
  DBNavigator1->setObjectName("DBNavigator1");
  DBNavigator1->setGeometry(FormDescription::bounds(navigator));
  DBNavigator1->SetTabStop(navigator["TabStop"].toBool(true));
  DBNavigator1->SetDataSource(&wwDataSource1);

  QJsonObject tabs = form.component("TabControl1");
  TabControl1 = new toolkit::TabControl(Panel1);
  TabControl1->setObjectName("TabControl1");
  TabControl1->setGeometry(FormDescription::bounds(tabs));
  TabControl1->setMultiLine(tabs["MultiLine"].toBool());
  QStringList captions;
  for (const QJsonValue& caption : tabs["Tabs"].toArray()) captions << caption.toString();
  TabControl1->setTabs(captions);
  TabControl1->setTabIndex(tabs["TabIndex"].toInt());
  connect(TabControl1, &toolkit::TabControl::changed, this,
          [this] { Application::RunHandler([this] { TabControl1Change(TabControl1); }); });

  QJsonObject label = form.component("Label1");
  Label1 = new QLabel(label["Caption"].toString(), Panel1);
  Label1->setObjectName("Label1");
  Label1->move(label["Left"].toInt(), label["Top"].toInt());
  Label1->adjustSize();

  wwIncrementalSearch1 =
      CreateSearchBox(form.component("wwIncrementalSearch1"), Panel1, &wwDataSource1);

  BitBtn3 = glyphButton(form.component("BitBtn3"), Panel1);
  // Of the close kind, it closes the window itself; the stored form gives it
  // no click handler.
  BitBtn2 = glyphButton(form.component("BitBtn2"), Panel1);

  Panel2 = raisedPanel(form.component("Panel2"), this);
  wwDBGrid1 = new grid::TwwDBGrid(Panel2);
  ApplyGridSettings(*wwDBGrid1, form.component("wwDBGrid1"));
  wwDBGrid1->OnDblClick = [this](grid::TwwCustomDBGrid& grid) { wwDBGrid1DblClick(&grid); };
  // First in the tab order: the rows have the keyboard when the window opens.
  wwDBGrid1->setFocus();

  QJsonObject table = form.component("wwTable1");
  wwTable1.Name = "wwTable1";
  wwTable1.SetDatabaseName(table["DatabaseName"].toString().toStdString());
  wwTable1.SetTableName(table["TableName"].toString().toStdString());
  if (table["TableType"].toString() == "ttParadox")
    wwTable1.TableType = data::TTableType::ttParadox;
  wwTable1.SyncSQLByRange = table["SyncSQLByRange"].toBool(true);
  wwTable1.NarrowSearch = table["NarrowSearch"].toBool(false);
  wwTable1.ValidateWithMask = table["ValidateWithMask"].toBool(true);
  wwDataSource1.SetDataSet(&wwTable1);

  wwRecordViewDialog1 = new recordview::TwwRecordViewDialog(this);
  wwRecordViewDialog1->setObjectName("wwRecordViewDialog1");
  recordview::ReadStoredSettings(*wwRecordViewDialog1, form.component("wwRecordViewDialog1"));
  wwRecordViewDialog1->SetDataSource(&wwDataSource1);
  wwDBGrid1->SetDataSource(&wwDataSource1);

  // The report printer prints the window's table; its stored "Table" names it.
  report::ReadStoredSettings(xvDBPrint1, form.component("xvDBPrint1"));
  xvDBPrint1.Table = &wwTable1;
  connect(BitBtn3, &QPushButton::clicked, this,
          [this] { Application::RunHandler([this] { BitBtn3Click(BitBtn3); }); });
}

// As the form is created, not from an event: its failures still belong to
// the application's handler, and the window is built and shown regardless.
void TKorvelfrm::runCreateHandler() {
  Application::RunHandler([this] { FormCreate(this); });
}

void TKorvelfrm::BitBtn2Click(QObject*) {
  close();
}

void TKorvelfrm::TabNew(const std::string& name, int) {
  wwTable1.Close();
  wwTable1.SetTableName(name);
  wwTable1.Open();
  tellWhyReadOnly();
}

// A table the engine will only read (its keys follow an order the engine
// cannot reproduce, its validity checks are unreadable, ...) is shown all
// the same; the user hears why once, rather than at every refused edit.
void TKorvelfrm::tellWhyReadOnly() {
  const std::string reason = wwTable1.TableReadOnlyReason();
  if (reason.empty() || !toldReadOnly_.insert(wwTable1.TableName()).second) return;
  const Application* application = Application::instance();
  toolkit::ui().showMessage(
      "The table " + wwTable1.TableName() + " can be read but not changed: " + reason,
      application ? application->Title() : std::string("Vindral"), toolkit::MessageKind::kWarning,
      toolkit::MessageButtons::kOk);
}

void TKorvelfrm::Handlechoice() {
  int index = TabControl1->tabIndex();
  if (index < 0 || index >= kTabTables) return;
  TabNew(kTableOfTab[index], index);
}

void TKorvelfrm::TabControl1Change(QObject*) {
  Handlechoice();
}

void TKorvelfrm::FormCreate(QObject*) {
  TabControl1->setTabIndex(0);
  Handlechoice();
}

// The grid's double click: the current row as a form.
void TKorvelfrm::wwDBGrid1DblClick(QObject*) {
  wwRecordViewDialog1->Execute();
}

// Prints the shown table under its tab's caption, dated today.
void TKorvelfrm::BitBtn3Click(QObject*) {
  const std::chrono::year_month_day today(
      std::chrono::floor<std::chrono::days>(toolkit::localeSettings().now()));
  xvDBPrint1.DateLabel =
      data::FormatDate({static_cast<int>(today.year()), static_cast<int>(unsigned(today.month())),
                        static_cast<int>(unsigned(today.day()))},
                       toolkit::localeSettings());
  const int index = TabControl1->tabIndex();
  xvDBPrint1.Header = index >= 0 && index < TabControl1->tabs().size()
                          ? TabControl1->tabs()[index].toStdString()
                          : std::string();
  xvDBPrint1.Print();
}

// The main form: closing it ends the program; nothing is saved or posted.
void TKorvelfrm::closeEvent(QCloseEvent* event) {
  event->accept();
  QCoreApplication::quit();
}

// Panel1 is aligned to the top, Panel2 fills the rest and the grid fills
// Panel2 inside its bevel.
void TKorvelfrm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Panel1->setGeometry(0, 0, width(), Panel1->height());
  Panel2->setGeometry(0, Panel1->height(), width(), height() - Panel1->height());
  wwDBGrid1->setGeometry(Panel2->clientArea());
}

}  // namespace app
