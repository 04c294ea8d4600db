#include "korveel.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QJsonArray>
#include <QLabel>
#include <QPushButton>

#include "application.h"
#include "toolkit/tab_control.h"

namespace app {

namespace {

// The tab-to-table map lives here and only here; the captions live only in
// the tab control's stored list of tabs.
constexpr const char* kTableOfTab[] = {"Portf",   "PortfDet", "Sectrans",
                                       "Account", "Acctr",    "UpdateSh"};
constexpr int kTabTables = sizeof kTableOfTab / sizeof kTableOfTab[0];

QFont storedFont(const QJsonObject& font) {
  QFont result(font["Name"].toString());
  result.setPixelSize(-font["Height"].toInt());
  return result;
}

QFrame* raisedPanel(const QJsonObject& settings, QWidget* parent) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(settings["name"].toString());
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setLineWidth(settings["BevelWidth"].toInt(1));
  panel->setGeometry(FormDescription::bounds(settings));
  return panel;
}

// The place of a control that a later part of the program supplies: an empty
// frame with the control's name and stored geometry, so the layout holds.
QFrame* reservedPlace(const QJsonObject& settings, QWidget* parent, bool framed) {
  auto* place = new QFrame(parent);
  place->setObjectName(settings["name"].toString());
  if (framed) place->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  place->setGeometry(FormDescription::bounds(settings));
  return place;
}

QPushButton* glyphButton(const QJsonObject& settings, QWidget* parent) {
  auto* button = new QPushButton(settings["Caption"].toString(), parent);
  button->setObjectName(settings["name"].toString());
  button->setGeometry(FormDescription::bounds(settings));
  button->setAutoDefault(false);
  return button;
}

}  // namespace

TKorvelfrm::TKorvelfrm(const FormDescription& form, QWidget* parent) : QWidget(parent) {
  build(form);
  runCreateHandler();
}

void TKorvelfrm::build(const FormDescription& form) {
  const QJsonObject& self = form.form();
  setObjectName(self["name"].toString());
  setWindowTitle(self["Caption"].toString());
  setFont(storedFont(self["Font"].toObject()));
  resize(self["ClientWidth"].toInt(), self["ClientHeight"].toInt());
  move(self["Left"].toInt(), self["Top"].toInt());

  Panel1 = raisedPanel(form.component("Panel1"), this);
  DBNavigator1 = reservedPlace(form.component("DBNavigator1"), Panel1, false);

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
          [this] { TabControl1Change(TabControl1); });

  QJsonObject label = form.component("Label1");
  Label1 = new QLabel(label["Caption"].toString(), Panel1);
  Label1->setObjectName("Label1");
  Label1->move(label["Left"].toInt(), label["Top"].toInt());
  Label1->adjustSize();

  wwIncrementalSearch1 = reservedPlace(form.component("wwIncrementalSearch1"), Panel1, true);

  BitBtn3 = glyphButton(form.component("BitBtn3"), Panel1);
  BitBtn2 = glyphButton(form.component("BitBtn2"), Panel1);
  connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(BitBtn2); });

  Panel2 = raisedPanel(form.component("Panel2"), this);
  wwDBGrid1 = reservedPlace(form.component("wwDBGrid1"), Panel2, true);

  QJsonObject table = form.component("wwTable1");
  wwTable1.SetDatabaseName(table["DatabaseName"].toString().toStdString());
  wwTable1.SetTableName(table["TableName"].toString().toStdString());
}

// As the form is created, not from an event: its failures still belong to
// the application's handler, and the window is built and shown regardless.
void TKorvelfrm::runCreateHandler() {
  try {
    FormCreate(this);
  } catch (...) {
    auto* application = dynamic_cast<Application*>(QCoreApplication::instance());
    if (!application) throw;
    application->HandleException(std::current_exception());
  }
}

void TKorvelfrm::BitBtn2Click(QObject*) {
  close();
}

void TKorvelfrm::TabNew(const std::string& name, int) {
  wwTable1.Close();
  wwTable1.SetTableName(name);
  wwTable1.Open();
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
  wwDBGrid1->setGeometry(Panel2->rect().adjusted(1, 1, -1, -1));
}

}  // namespace app
