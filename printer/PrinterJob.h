#pragma once

#include "printing/PaperCheck.h"

class QPrinter;

namespace printing {

// Sets a printer up for waybills: the waybill paper, then full-page mode (a page layout set on a
// driver with hardware margins turns it off, and every field would move by those margins),
// checked. Returns what paper the driver will really print on.
PaperCheck preparePrinter(QPrinter &printer);

} // namespace printing
