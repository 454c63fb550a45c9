// The viewer's command line: a document, optionally followed by a comma and
// a skin file. Win32-free.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace helpview {

struct CommandField {
    std::string text;
    bool quoted = false; // began with a double quote, which is dropped
};

struct DocumentAndSkin {
    std::string document;
    std::string skinFile;
};

// The text after the program name (quoted or not) and the blanks after it.
std::string_view ArgumentsOf(std::string_view commandLine);

// Comma-separated fields. Blanks before a field are skipped; a field that
// begins with a double quote ends at the next one (commas inside do not
// separate) and the rest up to the comma is ignored; an unquoted field runs
// to the next comma and loses its trailing blanks.
std::vector<CommandField> SplitFields(std::string_view arguments);

// Two or more fields: document and skin file. Otherwise the whole text is the
// document, unchanged, and the skin file is defaultSkin; except that a lone
// quoted document (a path with blanks, as file associations pass it) loses
// its quotes, since the quotes would make it no file at all.
DocumentAndSkin ChooseDocumentAndSkin(std::string_view arguments, std::string_view defaultSkin);

} // namespace helpview
