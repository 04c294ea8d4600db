// Program start and end, in their fixed order: the global strings object
// and the engine object with its session "Default" exist before anything
// else, the engine not started; the main window is built from its stored
// form and its create handler opens the first table, which starts the
// engine; the loop runs until the window closes; then the engine's session
// closes (dropping any edit) and the engine stops before the window is
// destroyed.
#include <QIcon>
#include <QPixmap>

#include "app/engine/engine.h"
#include "application.h"
#include "intl/international_strings.h"
#include "korveel.h"
#include "password_dialog.h"
#include "show_state.h"
#include "toolkit/bitmap_resources.h"
#include "toolkit/desktop_services.h"

int main(int argc, char** argv) {
  intl::GlobalIntl();
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
