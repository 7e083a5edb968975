#pragma once
// The two About boxes of the Help menu: what the program is, its version
// and its licence, and who makes it.

#include <QString>

class QWidget;

namespace corvid {

// The maker's web site, opened by the Help menu's web-link item.
extern const char* const kMakerWebAddress;

// The boxes' texts (rich text), and the boxes themselves, modal over parent.
QString AboutCorvidText();
QString AboutMakerText();
void ShowAboutCorvid(QWidget* parent);
void ShowAboutMaker(QWidget* parent);

} // namespace corvid
