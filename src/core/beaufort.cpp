// SPDX-License-Identifier: MIT
#include "core/beaufort.h"

#include <array>
#include <iterator>

namespace {

// Boundaries and results are kept in whole tenths and become doubles by one
// division by 10 each, which gives the double nearest the one-decimal number.
// Adding up step widths in doubles would not (3 x 0.1 is not 0.3), and the
// speeds compared here are readouts read back, so they often lie exactly on a
// boundary.
constexpr double fromTenths(int tenths)
{
    return tenths / 10.0;
}

struct Band
{
    int fromTenths;
    int widthTenths;
    int steps;
    int firstResultTenths;
};

// Nine bands of equal steps cover 0 to 117 km/h.
constexpr Band bands[] = {
    {0, 1, 10, 1},     {10, 5, 20, 11},   {110, 8, 10, 31},  {190, 10, 20, 41},  {390, 11, 10, 61},
    {500, 12, 10, 71}, {620, 13, 10, 81}, {750, 12, 10, 91}, {870, 15, 20, 101},
};

struct Step
{
    int fromTenths;
    int toTenths;
    int resultTenths;
};

constexpr int stepCount = 120;
constexpr int topSpeedTenths = 1170;
constexpr int topResultTenths = 120;

constexpr std::array<Step, stepCount> makeSteps()
{
    std::array<Step, stepCount> steps{};
    int next = 0;
    for (const Band &band : bands) {
        for (int j = 0; j < band.steps; ++j) {
            const int from = band.fromTenths + j * band.widthTenths;
            steps[next++] = {from, from + band.widthTenths, band.firstResultTenths + j};
        }
    }
    return steps;
}

constexpr std::array<Step, stepCount> steps = makeSteps();

constexpr bool stepsAreContiguous()
{
    for (int i = 1; i < stepCount; ++i) {
        if (steps[i].fromTenths != steps[i - 1].toTenths
            || steps[i].resultTenths != steps[i - 1].resultTenths + 1)
            return false;
    }
    return steps[0].fromTenths == 0 && steps[stepCount - 1].toTenths == topSpeedTenths
        && steps[stepCount - 1].resultTenths == topResultTenths;
}
static_assert(stepsAreContiguous(), "the Beaufort steps must cover 0 to 117 km/h without a gap");

struct ConditionRow
{
    int fromTenths;
    int toTenths;
    // Force 1 on land needs b above its lower end, so at exactly 0.7 the
    // land box keeps the force 0 text while the other two show force 1.
    bool landExcludesFrom;
    const char *description;
    const char *sea;
    const char *land;
};

constexpr ConditionRow conditionRows[] = {
    {0, 7, false, "DESCRIPTION: Calm", "SEA CONDITION: Flat",
     "LAND CONDITION: Calm. Smoke rises vertically"},
    {7, 19, true, "DESCRIPTION: Light air", "SEA CONDITION: Ripples without crests",
     "LAND CONDITION: Wind motion visible in smoke"},
    {19, 30, false, "DESCRIPTION: Light breeze",
     "SEA CONDITION: Small wavelets. Crests of glassy appearance, not breaking",
     "LAND CONDITION: Wind felt on exposed skin. Leaves rustle"},
    {30, 40, false, "DESCRIPTION: Gentle breeze",
     "SEA CONDITION: Large wavelets. Crests begin to break; scattered whitecaps",
     "LAND CONDITION: Leaves and smaller twigs in constant motion"},
    {40, 50, false, "DESCRIPTION: Moderate breeze", "SEA CONDITION: Small waves",
     "LAND CONDITION: Dust and loose paper raised. Small branches begin to move"},
    {50, 60, false, "DESCRIPTION: Fresh breeze",
     "SEA CONDITION: Moderate (1.2 m) longer waves. Some foam and spray",
     "LAND CONDITION: Smaller trees sway"},
    {60, 70, false, "DESCRIPTION: Strong breeze",
     "SEA CONDITION: Large waves with foam crests and some spray",
     "LAND CONDITION: Large branches in motion. Whistling heard in overhead wires. Umbrella use "
     "becomes difficult"},
    {70, 80, false, "DESCRIPTION: Near gale",
     "SEA CONDITION: Sea heaps up and foam begins to streak",
     "LAND CONDITION: Whole trees in motion. Effort needed to walk against the wind"},
    {80, 90, false, "DESCRIPTION: Gale",
     "SEA CONDITION: Moderately high waves with breaking crests forming spindrift. Streaks of "
     "foam",
     "LAND CONDITION: Twigs broken from trees. Cars veer on road"},
    {90, 100, false, "DESCRIPTION: Strong gale",
     "SEA CONDITION: High waves (2.75 m) with dense foam. Wave crests start to roll over. "
     "Considerable spray",
     "LAND CONDITION: Light structure damage"},
    {100, 110, false, "DESCRIPTION: Storm",
     "SEA CONDITION: Very high waves. The sea surface is white and there is considerable "
     "tumbling. Visibility is reduced",
     "LAND CONDITION: Trees uprooted. Considerable structural damage"},
    {110, 119, false, "DESCRIPTION: Violent storm", "SEA CONDITION: Exceptionally high waves",
     "LAND CONDITION: Widespread structural damage"},
    {119, 120, false, "DESCRIPTION: Hurricane",
     "SEA CONDITION: Huge waves. Air filled with foam and spray. Sea completely white with "
     "driving spray. Visibility very greatly reduced",
     "LAND CONDITION: Massive and widespread damage to structures"},
};

} // namespace

double kmhToBeaufort(double kmh)
{
    // Both ends of every step count and a later step wins, so a speed on a
    // boundary takes the higher step.
    double result = 0.0;
    for (const Step &step : steps) {
        if (kmh >= fromTenths(step.fromTenths) && kmh <= fromTenths(step.toTenths))
            result = fromTenths(step.resultTenths);
    }
    if (kmh >= fromTenths(topSpeedTenths))
        result = fromTenths(topResultTenths);
    return result;
}

std::optional<int> conditionRow(ConditionBox box, double beaufort)
{
    // Neighbouring rows share their boundary; the later, stronger row wins.
    std::optional<int> found;
    for (int i = 0; i < int(std::size(conditionRows)); ++i) {
        const ConditionRow &row = conditionRows[i];
        const double from = fromTenths(row.fromTenths);
        const bool aboveFrom = box == ConditionBox::Land && row.landExcludesFrom ? beaufort > from
                                                                                 : beaufort >= from;
        if (aboveFrom && beaufort <= fromTenths(row.toTenths))
            found = i;
    }
    return found;
}

QString conditionText(ConditionBox box, int row)
{
    const ConditionRow &texts = conditionRows[size_t(row)];
    switch (box) {
    case ConditionBox::Description:
        return QString::fromLatin1(texts.description);
    case ConditionBox::Sea:
        return QString::fromLatin1(texts.sea);
    case ConditionBox::Land:
        break;
    }
    return QString::fromLatin1(texts.land);
}

std::optional<QString> conditionText(ConditionBox box, double beaufort)
{
    if (const std::optional<int> row = conditionRow(box, beaufort))
        return conditionText(box, *row);
    return std::nullopt;
}
