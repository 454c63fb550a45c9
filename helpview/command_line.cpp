#include "command_line.h"

namespace helpview {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

size_t SkipBlanks(std::string_view text, size_t at)
{
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    return at;
}

} // namespace

std::string_view ArgumentsOf(std::string_view commandLine)
{
    size_t at = SkipBlanks(commandLine, 0);
    if (at < commandLine.size() && commandLine[at] == '"') {
        size_t close = commandLine.find('"', at + 1);
        at = close == std::string_view::npos ? commandLine.size() : close + 1;
    }
    while (at < commandLine.size() && !IsBlank(commandLine[at]))
        ++at;
    return commandLine.substr(SkipBlanks(commandLine, at));
}

std::vector<CommandField> SplitFields(std::string_view arguments)
{
    std::vector<CommandField> fields;
    size_t at = 0;
    while (true) {
        at = SkipBlanks(arguments, at);
        CommandField field;
        size_t comma;
        if (at < arguments.size() && arguments[at] == '"') {
            size_t close = arguments.find('"', at + 1);
            field.quoted = true;
            if (close == std::string_view::npos) {
                field.text = std::string(arguments.substr(at + 1));
                comma = std::string_view::npos;
            } else {
                field.text = std::string(arguments.substr(at + 1, close - at - 1));
                comma = arguments.find(',', close + 1);
            }
        } else {
            comma = arguments.find(',', at);
            std::string_view text = arguments.substr(at, comma == std::string_view::npos ? comma : comma - at);
            while (!text.empty() && IsBlank(text.back()))
                text.remove_suffix(1);
            field.text = std::string(text);
        }
        fields.push_back(std::move(field));
        if (comma == std::string_view::npos)
            return fields;
        at = comma + 1;
    }
}

DocumentAndSkin ChooseDocumentAndSkin(std::string_view arguments, std::string_view defaultSkin)
{
    std::vector<CommandField> fields = SplitFields(arguments);
    if (fields.size() >= 2)
        return {fields[0].text, fields[1].text};
    if (fields.size() == 1 && fields[0].quoted)
        return {fields[0].text, std::string(defaultSkin)};
    return {std::string(arguments), std::string(defaultSkin)};
}

} // namespace helpview
