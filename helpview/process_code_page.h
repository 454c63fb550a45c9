// The viewer's code page, and the texts that come into the process from
// outside it.
//
// The viewer declares UTF-8 as its code page in its manifest
// (activeCodePage, read from Windows 10 version 1903 on). Every A function
// of the process then takes and gives UTF-8: the command line, file names,
// window texts and the control's titles carry every character. Texts that
// come in as bytes from elsewhere are another matter: the lines of the
// ".sys" file were written in whatever code page their author's editor
// used, and the text of a navigate command is in its sender's code page
// (an older host's is its system's 8-bit code page, a host that declares
// UTF-8 sends UTF-8). Such a text is taken as it is when it is valid UTF-8,
// and is otherwise read in the system's 8-bit code page and converted.
//
// The one ambiguity: an 8-bit text whose bytes happen to form valid UTF-8
// ("Ã©" in code page 1252 is the UTF-8 of "é") is read as UTF-8. Real texts
// in 8-bit code pages almost never do, since their accented letters would
// have to come in exactly those pairs; we accept it.
//
// Where the system ignores the manifest's entry (before Windows 10 1903),
// the process has the system's code page like any 8-bit program: texts from
// outside are taken as they are, as senders in that code page mean them.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "code_page_text.h"

namespace helpview {

// True when the process's code page is UTF-8.
bool ProcessUsesUtf8();

// How the process's code page makes characters.
const CodePageShape &ProcessCodePageShape();

// The 8-bit code page an older program of this system uses, in which texts
// that are not UTF-8 are read: 1252 when the system's is UTF-8 itself.
UINT SystemEightBitCodePage();

// A text from outside the process, in the process's code page. cut says the
// sender's text went on past the bytes given: a character cut off at their
// end is dropped.
std::string TextFromOutside(std::string_view bytes, bool cut = false);

// The lines of a text file from outside the process, read in one code page
// for the whole file; a UTF-8 byte order mark at its start is dropped.
void LinesFromOutside(std::vector<std::string> &lines);

// Units widened from, and narrowed to, the process's code page. Narrowing
// never picks a look-alike for a character the code page lacks (a
// full-width backslash must not become a real one): it becomes '?'.
std::wstring WidenText(std::string_view text);
std::string NarrowText(std::u16string_view units);

// The length of the longest start of text made of whole characters of the
// process's code page, at most maxBytes bytes and maxUnits UTF-16 units.
size_t WholeCharacters(std::string_view text, size_t maxBytes, size_t maxUnits);

} // namespace helpview
