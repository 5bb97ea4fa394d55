#include "tools/dvftool/DvfTool.h"

#include <QString>
#include <QStringList>

int main(int argc, char** argv)
{
    QStringList args;
    for (int k = 1; k < argc; ++k)
        args << QString::fromLocal8Bit(argv[k]);
    return dvftool::Run(args, stdout, stderr);
}
