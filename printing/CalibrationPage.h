#pragma once

#include "printing/Page.h"
#include "printing/PrinterCalibration.h"

namespace printing {

// The page a clerk prints on a blank form to read a printer's shift off the paper: the outlines
// of the form's boxes, crosshairs on the corners of the form's frame and on the middle of its
// ruled area, millimetre scales along the top and the left edge, and a caption naming the
// printer and the offset it was printed with. Printed through the same painter as the waybills.
PageList calibrationPage(const QString &printer, const PrintOffset &offset);

// The points the crosshairs mark, in millimetres from the paper's top-left corner.
std::vector<QPointF> calibrationMarks();

} // namespace printing
