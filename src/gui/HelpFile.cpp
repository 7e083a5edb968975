#include "gui/HelpFile.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace corvid {

const char* const kBundledHelpFile = ":/manual/Corvid.html";

QString InstallHelpFile(const QString& directory, const QString& fileName)
{
    const QString path = QDir(directory).filePath(fileName);
    if (QFileInfo::exists(path))
        return path;
    QFile bundled(kBundledHelpFile);
    if (directory.isEmpty() || !QDir().mkpath(directory) || !bundled.open(QIODevice::ReadOnly))
        return {};
    // Written whole or not at all: a half-written guide would stay forever.
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bundled.readAll()) != bundled.size() || !out.commit())
        return {};
    return path;
}

std::string OpenHelpFile(const QString& directory, const QString& fileName, const UrlOpener& open)
{
    const QString path = InstallHelpFile(directory, fileName);
    if (path.isEmpty())
        return "Cannot open the help file\n " + QDir(directory).filePath(fileName).toStdString();
    const QUrl url = QUrl::fromLocalFile(path);
    if (open ? open(url) : QDesktopServices::openUrl(url))
        return {};
    return "No program to open the help file was found.\n It is " + path.toStdString() +
           "; open it with a web browser.";
}

} // namespace corvid
