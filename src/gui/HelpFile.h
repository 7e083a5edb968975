#pragma once
// The user's guide travels inside the program and is copied into the help
// folder the first time Help is opened; from then on the copy there is the
// one shown, so a person or a site may replace it.

#include <QString>
#include <QUrl>

#include <functional>
#include <string>

namespace corvid {

// The bundled guide, as a Qt resource path.
extern const char* const kBundledHelpFile;

// The guide fileName in directory, written from the bundled copy when no
// file of that name is there yet (the directory is made when missing). An
// existing file is left as it is. Empty when the guide is not there and
// cannot be written.
QString InstallHelpFile(const QString& directory, const QString& fileName);

// Hands a file to the desktop's program for it; false when there is none
// (QDesktopServices::openUrl by default).
using UrlOpener = std::function<bool(const QUrl&)>;

// Installs the guide (as above) and opens it with open. Returns the message
// to show, empty when the guide was handed over: "Cannot open the help
// file" when it could not be installed, "No program to open the help file"
// when nothing on this machine opens it; each names the file.
std::string OpenHelpFile(const QString& directory, const QString& fileName, const UrlOpener& open = {});

} // namespace corvid
