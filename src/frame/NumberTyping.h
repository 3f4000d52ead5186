#pragma once

#include <string_view>

#include <boost/any.hpp>

namespace VorlatImportExport {

// The one rule that turns a trimmed number text into a cell value, shared by
// every reader (CSV fields, SD data items held or parsed, Mol2 property
// blocks) and by the analyzer's rank values, so that one text always gives
// one value:
//
// - an integer text (optional sign, digits) within the range of int: int;
// - an integer text beyond int whose magnitude is at most 2^53: double,
//   which holds every such integer exactly; longer ones are no number (the
//   caller keeps them as text, so no digit of an ID changes);
// - any other decimal number (point, exponent) of magnitude 2^24 or more,
//   or one that float cannot hold (below float's normal range): double;
// - every other decimal number: float.
//
// The grammar is Chem::StringUtils' (no blanks, no hex, no inf or nan). A
// number beyond double's range, or one that would round to zero, is no
// number either. Returns false, leaving value untouched, for no number.
bool TypeNumberText(std::string_view text, boost::any& value);

} // namespace VorlatImportExport
