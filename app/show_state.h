// The state the main window is first shown in, as the platform asked when it
// started the program. On X11 that request is the toolkit option "-iconic"
// (start minimised); the window manager applies any other placement itself.
#pragma once

#include <QStringList>

class QWidget;

namespace app {

enum class ShowState { kNormal, kMinimised };

ShowState startShowState(const QStringList& arguments);
void showInState(QWidget& window, ShowState state);

}  // namespace app
