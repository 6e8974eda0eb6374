#pragma once
// The check states of a check-box list row, as state images, and the roles a list model answers
// them on. Models without widgets use them too.

#include <Qt>

namespace ui {

enum StateImage : int { kNoStateImage = 0, kUnchecked = 1, kChecked = 2, kFixedChecked = 3 };

// Column 0's state image (StateImage).
inline constexpr int StateImageRole = Qt::UserRole + 100;

} // namespace ui
