#pragma once
// The user's guide travels inside the program and is copied into the help
// folder the first time Help is opened; from then on the copy there is the
// one shown, so a person or a site may replace it.

#include <QString>

namespace corvid {

// The bundled guide, as a Qt resource path.
extern const char* const kBundledHelpFile;

// The guide fileName in directory, written from the bundled copy when no
// file of that name is there yet (the directory is made when missing). An
// existing file is left as it is. Empty when the guide is not there and
// cannot be written.
QString InstallHelpFile(const QString& directory, const QString& fileName);

} // namespace corvid
