// Program start and end, in their fixed order: the engine object with its
// session "Default" exists before anything else but is not started; the
// main window is built from its stored form and its create handler opens the
// first table, which starts the engine; the loop runs until the window
// closes; then the engine's session closes (dropping any edit) and the
// engine stops before the window is destroyed.
#include <QIcon>
#include <QPixmap>

#include "app/engine/engine.h"
#include "application.h"
#include "korveel.h"
#include "password_dialog.h"
#include "show_state.h"
#include "toolkit/bitmap_resources.h"
#include "toolkit/desktop_services.h"

int main(int argc, char** argv) {
  engine::Engine& tableEngine = engine::Engine::instance();
  app::Application application(argc, argv);
  auto desktop = toolkit::installDesktopServices();
  app::PasswordDialogPrompt passwordPrompt;
  tableEngine.setPasswordPrompt(&passwordPrompt);

  app::FormDescription form = app::FormDescription::korveel();
  application.setWindowIcon(QIcon(QPixmap::fromImage(toolkit::bitmapResource("MAINICON"))));
  app::TKorvelfrm mainForm(form);

  app::showInState(mainForm, app::startShowState(application.arguments()));
  int result = application.exec();

  mainForm.wwTable1.Close();
  tableEngine.shutdown();
  tableEngine.setPasswordPrompt(nullptr);
  return result;
}
