#include "viewer/study/StudyRecord.h"

namespace study {

void StudyRecord::ResetViews()
{
    Views.clear();
    Views.append(StudyView{});
}

void StudyRecord::Clear()
{
    *this = StudyRecord{};
}

} // namespace study
