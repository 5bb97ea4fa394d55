// The sky conditions a study can be rendered under, one bit each, in the order
// the panels offer them.
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <array>

namespace viewer {

struct SkyCondition {
    qint32 Value;
    const char* Name;
};

inline constexpr int kSkyConditionCount = 18;

// 1 "Clear", 2 "Partly Cloudy", 4 "Overcast", then "General Sky - Type k" = 2^(k+2).
const std::array<SkyCondition, kSkyConditionCount>& SkyConditionTable();

// The names whose bit is set in mask, in table order; bits above the table are ignored.
QStringList SkyConditionNames(qint32 mask);

// The value of the condition named name (exact, case-sensitive); 0 for no name.
qint32 SkyCodeOfName(const QString& name);

// The name of the condition of value code; "Sky <code>" for a value the table lacks.
QString SkyConditionName(qint32 code);

} // namespace viewer
