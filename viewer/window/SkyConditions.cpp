#include "viewer/window/SkyConditions.h"

namespace viewer {

const std::array<SkyCondition, kSkyConditionCount>& SkyConditionTable()
{
    static const std::array<SkyCondition, kSkyConditionCount> table{{
        {1, "Clear"},
        {2, "Partly Cloudy"},
        {4, "Overcast"},
        {8, "General Sky - Type 1"},
        {16, "General Sky - Type 2"},
        {32, "General Sky - Type 3"},
        {64, "General Sky - Type 4"},
        {128, "General Sky - Type 5"},
        {256, "General Sky - Type 6"},
        {512, "General Sky - Type 7"},
        {1024, "General Sky - Type 8"},
        {2048, "General Sky - Type 9"},
        {4096, "General Sky - Type 10"},
        {8192, "General Sky - Type 11"},
        {16384, "General Sky - Type 12"},
        {32768, "General Sky - Type 13"},
        {65536, "General Sky - Type 14"},
        {131072, "General Sky - Type 15"},
    }};
    return table;
}

QStringList SkyConditionNames(qint32 mask)
{
    QStringList names;
    for (const SkyCondition& sky : SkyConditionTable()) {
        if (mask & sky.Value)
            names.append(QLatin1String(sky.Name));
    }
    return names;
}

qint32 SkyCodeOfName(const QString& name)
{
    qint32 code = 0;
    for (const SkyCondition& sky : SkyConditionTable()) {
        if (name == QLatin1String(sky.Name))
            code = sky.Value;
    }
    return code;
}

QString SkyConditionName(qint32 code)
{
    for (const SkyCondition& sky : SkyConditionTable()) {
        if (sky.Value == code)
            return QLatin1String(sky.Name);
    }
    return QStringLiteral("Sky %1").arg(code);
}

} // namespace viewer
