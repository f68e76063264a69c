#pragma once

#include "common/ReportLayout.h"

namespace shoupai {

// "打印" of the board: the consumption lines the bottom grid shows, with the
// sums of quantity and amount and the moment of printing.
ReportLayout boardReportLayout();

} // namespace shoupai
