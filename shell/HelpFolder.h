#pragma once

#include <QString>

namespace links {

// The folder of the local help pages (index.htm, help.htm): beside the program when it runs
// from the build, else the installed share/waybill folder next to the program's bin folder.
QString helpFolder();

} // namespace links
