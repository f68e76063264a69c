#pragma once

// The helpers that the screens share, in one include: pinyin initials of names,
// padding of receipt columns, the one-line (password) input box and the export
// of a query into a spreadsheet.
#include "common/PasswordInputBox.h"
#include "common/Pinyin.h"
#include "common/SpreadsheetExport.h"
#include "common/TextPadding.h"
