#include "viewer/study/StudyModule.h"

#include "viewer/study/StudyReader.h"

namespace study {

void StudyModule::ReadStudyFile(const QString& StudyFilename, QString& ErrMsg)
{
    study::ReadStudyFile(Study, StudyFilename, ErrMsg);
}

void StudyModule::Reset()
{
    *this = StudyModule{};
}

} // namespace study
