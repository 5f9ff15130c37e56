// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <optional>

// The Beaufort value, one decimal from 0.1 to 12.0, of a speed in km/h; 0.0
// for a negative speed. A speed exactly on a step boundary takes the higher
// step, so 0 gives 0.1 and 1.0 gives 1.1; 115.5 and above give 12.0.
double kmhToBeaufort(double kmh);

// The three condition boxes.
enum class ConditionBox { Description, Sea, Land };
inline constexpr int ConditionBoxCount = 3;

// The row of the condition table, 0 (calm) to 12, whose text a box shows
// for a Beaufort value; nothing for a value outside 0 to 12, where the box
// keeps its earlier text. The boxes may differ on a boundary: at exactly
// 0.7 the land box keeps row 0 while the other two show row 1.
std::optional<int> conditionRow(ConditionBox box, double beaufort);
// The text, heading included, of a row (0 to 12) in a box.
QString conditionText(ConditionBox box, int row);
// Both steps at once.
std::optional<QString> conditionText(ConditionBox box, double beaufort);
