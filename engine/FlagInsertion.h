// The flag references of a message text: "<%dNAME>" replaced by the flag's value in full-width
// characters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace script {

class FlagStore;

// Every "<%" up to the next ">" is replaced: the byte after "<%" is the format letter, the flag
// name (at most 255 bytes) runs from the next byte to the ">". The flag's string view (prefix
// rule) is cut at its first "." when the letter is 'd', converted to full-width characters and
// put in the place of the whole sequence. Replacement starts again from the text's beginning
// until no "<%" with a later ">" remains. The text never grows beyond maxBytes: it is cut there
// (never after half a double-byte character) after every replacement.
std::string InsertFlagValues(std::string_view text, const FlagStore& flags, size_t maxBytes);

// Cuts a code page 932 text to at most maxBytes, dropping a double-byte character that would
// be cut in half.
void CutCp932(std::string& text, size_t maxBytes);

}  // namespace script
