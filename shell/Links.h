#pragma once

#include <QString>
#include <QUrl>

// The maker's web addresses, in one place so that a real web site can replace them. Until the
// project has a site, they are the Chinese help pages installed beside the program.
namespace links {

QUrl homePage();
// The online help page (path help.htm beside the home page).
QUrl helpPage();
// What the third status panel shows: how to open the help, in a clerk's words.
QString helpHint();

} // namespace links
