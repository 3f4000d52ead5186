#pragma once

#include <istream>
#include <string>
#include <string_view>

#include "host/Export.h"

namespace Chem {

class ChemDoc;
class Molecule;

// An SD data item from its header line ("> <MW>", "> 12 <MW> (3)", "> DT12")
// and its value text. The name is the text inside the first <...>; a header
// without <...> gives the rest of the header after ">", trimmed. False only
// when no name is left.
VORLAT_EXPORT bool ExtractPropertyDataItem(const std::string& header, const std::string& valueText,
                                           std::string& name, std::string& value);

// The name part of ExtractPropertyDataItem, on a view of the header: false
// when no name is left.
VORLAT_EXPORT bool ExtractPropertyName(std::string_view header, std::string_view& name);

// The next line of the stream without its line end (LF, CR LF or a lone CR).
// reserved is kept for the callers' sake.
VORLAT_EXPORT std::string GetLine(std::istream& stream, bool reserved);

// text without blanks (spaces, tabs, CR, LF) at the start and/or the end.
VORLAT_EXPORT std::string RemoveSpaces(const std::string& text, bool leading, bool trailing);

// The name of the document's first molecule, or "" when it has none.
VORLAT_EXPORT std::wstring GetMoleculeName(ChemDoc* document);

// The canonical SMILES of the molecule; "" for none or when it cannot be
// written. The toolkit notes its output order in the molecule's computed
// properties: the same molecule is not written from two threads at once.
VORLAT_EXPORT std::string MoleculeToSmiles(const Molecule* molecule);

} // namespace Chem
