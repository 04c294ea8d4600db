#include "show_state.h"

#include <QWidget>

namespace app {

ShowState startShowState(const QStringList& arguments) {
  return arguments.contains("-iconic") ? ShowState::kMinimised : ShowState::kNormal;
}

void showInState(QWidget& window, ShowState state) {
  if (state == ShowState::kMinimised) {
    window.showMinimized();
  } else {
    window.show();
  }
}

}  // namespace app
