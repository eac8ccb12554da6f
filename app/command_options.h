#pragma once
// The command line shared by the programs beside the launcher: TAG and
// NEWEST_REV as the first two words that are not options, and options that
// take a file name, in any order.
#include "platform/drive_text.h"

// A word that is none of the program's options: the next of the two
// arguments. False, with the error, for an unknown option or a third argument.
bool TakeOtherArgument(const DriveText& strArg, int* pnPositional, DriveText* pstrTag, DriveText* pstrNewestRevision,
                       DriveText* pstrError);
// False, with the error, unless both arguments were given.
bool HasBothArguments(int nPositional, DriveText* pstrError);
// The file name after the option at *pnIndex, which then moves past it;
// false, with the error, when there is none or the option was given before.
// A following option is no file name.
bool TakeFileArgument(int argc, const wchar_t* const* argv, int* pnIndex, DriveText* pstrPath, DriveText* pstrError);
// The same for an option that takes another kind of value, named in the error
// ("a name", "MINUTES").
bool TakeOptionValue(int argc, const wchar_t* const* argv, int* pnIndex, const wchar_t* pszWhat, DriveText* pstrValue,
                     DriveText* pstrError);
