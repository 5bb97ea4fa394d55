#include "viewer/cabreader/Win32ErrorText.h"

namespace cabreader {

QString Win32ErrorText(qint64 code)
{
    switch (code) {
    case 2: return QStringLiteral("The system cannot find the file specified.");
    case 3: return QStringLiteral("The system cannot find the path specified.");
    case 4: return QStringLiteral("The system cannot open the file.");
    case 5: return QStringLiteral("Access is denied.");
    case 8: return QStringLiteral("Not enough storage is available to process this command.");
    case 13: return QStringLiteral("Invalid data.");
    case 14: return QStringLiteral("Not enough storage is available to complete this operation.");
    case 15: return QStringLiteral("The system cannot find the drive specified.");
    case 19: return QStringLiteral("The media is write protected.");
    case 20: return QStringLiteral("The system cannot find the device specified.");
    case 21: return QStringLiteral("The device is not ready.");
    case 23: return QStringLiteral("Data error (cyclic redundancy check).");
    case 25: return QStringLiteral("The drive cannot locate a specific area or track on the disk.");
    case 26: return QStringLiteral("The specified disk or diskette cannot be accessed.");
    case 27: return QStringLiteral("The drive cannot find the sector requested.");
    case 29: return QStringLiteral("The system cannot write to the specified device.");
    case 30: return QStringLiteral("The system cannot read from the specified device.");
    case 31: return QStringLiteral("A device attached to the system is not functioning.");
    case 32: return QStringLiteral("The process cannot access the file because it is being used by another process.");
    case 33:
        return QStringLiteral(
            "The process cannot access the file because another process has locked a portion of the file.");
    case 39: return QStringLiteral("The disk is full.");
    case 82: return QStringLiteral("The directory or file cannot be created.");
    case 111: return QStringLiteral("The file name is too long.");
    case 112: return QStringLiteral("There is not enough space on the disk.");
    case 123: return QStringLiteral("The filename, directory name, or volume label syntax is incorrect.");
    default: return QStringLiteral("Unknown error.");
    }
}

} // namespace cabreader
