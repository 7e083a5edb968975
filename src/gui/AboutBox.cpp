#include "gui/AboutBox.h"

#include "app/Startup.h"

#include <QMessageBox>

namespace corvid {

const char* const kMakerWebAddress = "https://lumenworks.example/corvid";

namespace {

QString Licence()
{
    return QStringLiteral("<p>Copyright &copy; 2026 The Corvid developers.<br>"
                          "Corvid is free software under the MIT License: you may use, copy, change and "
                          "share it, provided the copyright and licence notice stay with it. It comes "
                          "with no warranty of any kind.</p>");
}

} // namespace

QString AboutCorvidText()
{
    return QStringLiteral("<h3>Corvid %1</h3>"
                          "<p>A desktop editor for 3D scenes: build them from primitives, patches and "
                          "imported models, arrange them in a hierarchy, give them materials, lights and "
                          "cameras, animate them with key frames, and look at them through up to four "
                          "viewports.</p>")
               .arg(QString::fromLatin1(kProgramVersion)) +
           Licence();
}

QString AboutMakerText()
{
    return QStringLiteral("<h3>Lumenworks</h3>"
                          "<p>Lumenworks makes Corvid %1, a desktop editor for 3D scenes.</p>"
                          "<p><a href=\"%2\">%2</a></p>")
               .arg(QString::fromLatin1(kProgramVersion), QString::fromLatin1(kMakerWebAddress)) +
           Licence();
}

void ShowAboutCorvid(QWidget* parent)
{
    QMessageBox::about(parent, QStringLiteral("About Corvid"), AboutCorvidText());
}

void ShowAboutMaker(QWidget* parent)
{
    QMessageBox::about(parent, QStringLiteral("About Lumenworks"), AboutMakerText());
}

} // namespace corvid
