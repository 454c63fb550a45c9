#include "skin_file.h"

#include <optional>

namespace themekit {

namespace {

constexpr std::string_view Signature = "themekit skin";
constexpr std::size_t MaxFontNameLength = 31;   // LF_FACESIZE less the terminator
constexpr std::size_t MaxImagePathLength = 259; // MAX_PATH less the terminator

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Keys compare without case, and blanks, '_' and '-' between words are all
// one space: "Caption_Colour" and "caption   colour" are the same key.
std::string NormaliseKey(std::string_view key)
{
    std::string out;
    bool pendingSpace = false;
    for (char c : key) {
        if (IsBlank(c) || c == '_' || c == '-') {
            pendingSpace = !out.empty();
            continue;
        }
        if (pendingSpace)
            out += ' ';
        pendingSpace = false;
        out += LowerAscii(c);
    }
    return out;
}

// Plain decimal digits only; at most six of them, so no value can overflow.
std::optional<int> ParseNumber(std::string_view text)
{
    text = Trim(text);
    if (text.empty() || text.size() > 6)
        return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (!IsDigit(c))
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<int> ParseNumberIn(std::string_view text, int lowest, int highest)
{
    auto value = ParseNumber(text);
    if (!value || *value < lowest || *value > highest)
        return std::nullopt;
    return value;
}

int HexDigit(char c)
{
    if (IsDigit(c))
        return c - '0';
    c = LowerAscii(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// "#RRGGBB" or "red, green, blue" in decimal.
std::optional<SkinColour> ParseColour(std::string_view text)
{
    text = Trim(text);
    if (!text.empty() && text.front() == '#') {
        if (text.size() != 7)
            return std::nullopt;
        unsigned parts[3] = {};
        for (int i = 0; i < 3; ++i) {
            int high = HexDigit(text[1 + 2 * i]);
            int low = HexDigit(text[2 + 2 * i]);
            if (high < 0 || low < 0)
                return std::nullopt;
            parts[i] = unsigned(high * 16 + low);
        }
        return MakeSkinColour(parts[0], parts[1], parts[2]);
    }
    unsigned parts[3] = {};
    for (int i = 0; i < 3; ++i) {
        std::size_t comma = text.find(',');
        bool last = i == 2;
        if (last != (comma == std::string_view::npos))
            return std::nullopt;
        auto part = ParseNumberIn(text.substr(0, comma), 0, 255);
        if (!part)
            return std::nullopt;
        parts[i] = unsigned(*part);
        text = last ? std::string_view() : text.substr(comma + 1);
    }
    return MakeSkinColour(parts[0], parts[1], parts[2]);
}

// Printable text of limited length: a font name or a file name.
std::optional<std::string> ParseName(std::string_view text, std::size_t maxLength)
{
    text = Trim(text);
    if (text.empty() || text.size() > maxLength)
        return std::nullopt;
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return std::nullopt;
    }
    return std::string(text);
}

enum class ValueKind { Colour, Number, Name };

struct KeyRule {
    std::string_view key;
    ValueKind kind;
    SkinColour Skin::*colour;
    int Skin::*number;
    std::string Skin::*name;
    int lowest;
    int highest; // for a name: its longest length
};

constexpr KeyRule ColourKey(std::string_view key, SkinColour Skin::*field)
{
    return {key, ValueKind::Colour, field, nullptr, nullptr, 0, 0};
}

constexpr KeyRule NumberKey(std::string_view key, int Skin::*field, int lowest, int highest)
{
    return {key, ValueKind::Number, nullptr, field, nullptr, lowest, highest};
}

constexpr KeyRule NameKey(std::string_view key, std::string Skin::*field, std::size_t longest)
{
    return {key, ValueKind::Name, nullptr, nullptr, field, 0, int(longest)};
}

const KeyRule KeyRules[] = {
    ColourKey("caption colour", &Skin::captionColour),
    ColourKey("inactive caption colour", &Skin::inactiveCaptionColour),
    ColourKey("caption text colour", &Skin::captionTextColour),
    ColourKey("frame colour", &Skin::frameColour),
    ColourKey("face colour", &Skin::faceColour),
    ColourKey("text colour", &Skin::textColour),
    ColourKey("background colour", &Skin::backgroundColour),
    ColourKey("dialog face colour", &Skin::dialogFaceColour),
    ColourKey("dialog text colour", &Skin::dialogTextColour),
    NumberKey("minimum width", &Skin::minimumWidth, 50, 4096),
    NumberKey("minimum height", &Skin::minimumHeight, 40, 4096),
    NumberKey("caption height", &Skin::captionHeight, 10, 64),
    NumberKey("frame width", &Skin::frameWidth, 0, 32),
    NumberKey("button margin", &Skin::buttonMargin, 0, 64),
    NumberKey("bevel", &Skin::bevel, 0, 16),
    NumberKey("message padding", &Skin::messagePadding, 0, 100),
    NumberKey("font size", &Skin::fontSize, 4, 72),
    NumberKey("caption font size", &Skin::captionFontSize, 4, 72),
    NameKey("font", &Skin::fontName, MaxFontNameLength),
    NameKey("background image", &Skin::backgroundImage, MaxImagePathLength),
};

const KeyRule *FindRule(std::string_view key)
{
    for (const KeyRule &rule : KeyRules) {
        if (rule.key == key)
            return &rule;
    }
    return nullptr;
}

// True when the value was valid and stored.
bool ApplyValue(const KeyRule &rule, std::string_view value, Skin &skin)
{
    switch (rule.kind) {
    case ValueKind::Colour:
        if (auto colour = ParseColour(value)) {
            skin.*rule.colour = *colour;
            return true;
        }
        return false;
    case ValueKind::Number:
        if (auto number = ParseNumberIn(value, rule.lowest, rule.highest)) {
            skin.*rule.number = *number;
            return true;
        }
        return false;
    case ValueKind::Name:
        if (auto name = ParseName(value, std::size_t(rule.highest))) {
            skin.*rule.name = std::move(*name);
            return true;
        }
        return false;
    }
    return false;
}

// Splits at LF, CR LF or a lone CR.
class LineReader {
public:
    explicit LineReader(std::string_view text) : rest_(text) {}

    bool Next(std::string_view &line)
    {
        if (done_)
            return false;
        std::size_t end = rest_.find_first_of("\r\n");
        if (end == std::string_view::npos) {
            line = rest_;
            done_ = true;
            return true;
        }
        line = rest_.substr(0, end);
        std::size_t skip = rest_[end] == '\r' && end + 1 < rest_.size() && rest_[end + 1] == '\n' ? 2 : 1;
        rest_ = rest_.substr(end + skip);
        return true;
    }

private:
    std::string_view rest_;
    bool done_ = false;
};

// Comments are whole lines: a value such as "#1E5AA0" contains '#'.
bool IsCommentOrBlank(std::string_view line)
{
    line = Trim(line);
    return line.empty() || line.front() == '#' || line.front() == ';';
}

} // namespace

bool ReadSkinText(std::string_view text, Skin &skin)
{
    if (text.size() > MaxSkinFileSize || text.find('\0') != std::string_view::npos)
        return false;
    constexpr std::string_view utf8Mark = "\xEF\xBB\xBF";
    if (text.substr(0, utf8Mark.size()) == utf8Mark)
        text.remove_prefix(utf8Mark.size());

    LineReader lines(text);
    std::string_view line;
    bool signed_ = false;
    while (lines.Next(line)) {
        if (IsCommentOrBlank(line))
            continue;
        signed_ = NormaliseKey(line) == Signature;
        break;
    }
    if (!signed_)
        return false;

    Skin read = skin;
    bool inactiveCaptionGiven = false;
    bool captionGiven = false;
    while (lines.Next(line)) {
        if (IsCommentOrBlank(line))
            continue;
        std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        const KeyRule *rule = FindRule(NormaliseKey(line.substr(0, equals)));
        if (!rule || !ApplyValue(*rule, line.substr(equals + 1), read))
            continue;
        captionGiven |= rule->colour == &Skin::captionColour;
        inactiveCaptionGiven |= rule->colour == &Skin::inactiveCaptionColour;
    }
    // A skin that names only its caption colour keeps it when the window
    // loses the focus, rather than falling back to the built-in grey.
    if (captionGiven && !inactiveCaptionGiven)
        read.inactiveCaptionColour = read.captionColour;
    skin = std::move(read);
    return true;
}

} // namespace themekit
