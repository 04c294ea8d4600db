// Breaks text into the lines drawText shows (rules at TextFormat in canvas.h),
// measuring with the caller's width function. Qt-free, shared by every Canvas
// so that a recorded layout is the one a screen shows.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace toolkit {

std::vector<std::string> wrapText(std::string_view text, int width, bool wordBreak, bool expandTabs,
                                  const std::function<int(std::string_view)>& measure);

}  // namespace toolkit
