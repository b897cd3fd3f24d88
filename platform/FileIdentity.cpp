#include "FileIdentity.h"

bool FileIdentity::operator==(const FileIdentity &other) const
{
    return uDevice == other.uDevice && uFile == other.uFile && iSize == other.iSize &&
           iModifiedSeconds == other.iModifiedSeconds && iModifiedNanoseconds == other.iModifiedNanoseconds;
}
