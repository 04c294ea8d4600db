// Handlers reached from a mouse click. What such a handler throws is thrown
// again on the event loop's next turn, so it reaches the program's top-level
// handler without unwinding through Qt's mouse dispatch, which leaks the
// event copies it makes there.
#pragma once

#include <functional>

class QObject;

namespace recordview {

// context: the object the failure is delivered to (it dies with it).
void RunFromMouse(QObject* context, const std::function<void()>& handler);

}  // namespace recordview
