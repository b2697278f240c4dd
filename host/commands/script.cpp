#include "host/commands/script.h"

#include "host/common/cp1250.h"

namespace brio::host {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Appends the UTF-8 run converted to CP1250.
bool flush(std::string& utf8, std::string& out, std::string& error) {
    std::string bytes;
    if (!utf8ToCp1250(utf8, bytes, error)) return false;
    out += bytes;
    utf8.clear();
    return true;
}

} // namespace

bool tokenize(std::string_view line, std::vector<Token>& tokens, std::string& error) {
    tokens.clear();
    size_t i = 0;
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (true) {
        while (i < line.size() && blank(line[i]))
            ++i;
        if (i >= line.size()) return true;
        if (tokens.empty() && line[i] == '#') return true;
        Token t;
        std::string utf8;
        if (line[i] != '"') {
            while (i < line.size() && !blank(line[i])) {
                if (line[i] == '"') {
                    error = "a quote inside a word (put a space before the text)";
                    return false;
                }
                utf8 += line[i++];
            }
            if (!flush(utf8, t.text, error)) return false;
            tokens.push_back(std::move(t));
            continue;
        }
        t.quoted = true;
        ++i;
        bool closed = false;
        while (i < line.size()) {
            const char c = line[i++];
            if (c == '"') {
                closed = true;
                break;
            }
            if (c != '\\') {
                utf8 += c;
                continue;
            }
            if (i >= line.size()) break;
            const char e = line[i++];
            if (e == '"' || e == '\\') {
                utf8 += e;
            } else if (e == 'n') {
                utf8 += '\n';
            } else if (e == 't') {
                utf8 += '\t';
            } else if (e == 'r') {
                utf8 += '\r';
            } else if (e == 'x' && i + 1 < line.size() && hexDigit(line[i]) >= 0 &&
                       hexDigit(line[i + 1]) >= 0) {
                if (!flush(utf8, t.text, error)) return false;
                t.text += static_cast<char>(hexDigit(line[i]) * 16 + hexDigit(line[i + 1]));
                i += 2;
            } else {
                error = std::string("bad escape \\") + e + " (use \\\" \\\\ \\n \\r \\t or \\xNN)";
                return false;
            }
        }
        if (!closed) {
            error = "the text has no closing quote";
            return false;
        }
        if (i < line.size() && !blank(line[i])) {
            error = "a closing quote must end the word";
            return false;
        }
        if (!flush(utf8, t.text, error)) return false;
        tokens.push_back(std::move(t));
    }
}

bool parseNumber(std::string_view w, int32_t& value) {
    if (w.empty()) return false;
    if (w.size() > 2 && w[0] == '0' && (w[1] == 'x' || w[1] == 'X')) {
        if (w.size() > 10) return false;
        uint32_t v = 0;
        for (char c : w.substr(2)) {
            const int d = hexDigit(c);
            if (d < 0) return false;
            v = v * 16 + static_cast<uint32_t>(d);
        }
        value = static_cast<int32_t>(v);
        return true;
    }
    const bool negative = w[0] == '-';
    if (negative) w.remove_prefix(1);
    if (w.empty() || w.size() > 10) return false;
    int64_t v = 0;
    for (char c : w) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (negative) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return false;
    value = static_cast<int32_t>(v);
    return true;
}

bool parseDuration(std::string_view w, uint64_t& ms) {
    size_t digits = 0;
    uint64_t n = 0;
    while (digits < w.size() && w[digits] >= '0' && w[digits] <= '9' && digits < 12)
        n = n * 10 + uint64_t(w[digits++] - '0');
    if (digits == 0) return false;
    const std::string_view unit = w.substr(digits);
    if (unit == "ms")
        ms = n;
    else if (unit == "s")
        ms = n * 1000;
    else if (unit == "m")
        ms = n * 60000;
    else
        return false;
    return true;
}

bool parseHexBytes(const std::vector<Token>& words, std::vector<uint8_t>& bytes, std::string& error) {
    bytes.clear();
    for (const Token& t : words) {
        if (t.quoted || t.text.size() % 2 != 0) {
            error = "\"" + t.text + "\" is not an even number of hexadecimal digits";
            return false;
        }
        for (size_t i = 0; i < t.text.size(); i += 2) {
            const int hi = hexDigit(t.text[i]);
            const int lo = hexDigit(t.text[i + 1]);
            if (hi < 0 || lo < 0) {
                error = "\"" + t.text + "\" is not hexadecimal";
                return false;
            }
            bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
        }
    }
    return true;
}

std::string expandName(std::string_view text, std::string_view name, std::string_view value) {
    std::string out;
    size_t from = 0;
    for (size_t at = text.find(name); at != std::string_view::npos; at = text.find(name, from)) {
        out.append(text.substr(from, at - from));
        out.append(value);
        from = at + name.size();
    }
    out.append(text.substr(from));
    return out;
}

std::string expandScriptDir(std::string_view text, std::string_view dir) {
    return expandName(text, "$SCRIPTDIR", dir);
}

const char* helpText() {
    return "Commands (one a line, # starts a comment; \"texts\" are UTF-8 with \\\" \\\\ \\n \\r \\t "
           "\\xNN):\n"
           "  load | unload | start | stop | restart | crash   (crash: the messenger ends at once)\n"
           "  crash in setNetStatus before|after   (the messenger ends inside the plug-in's next\n"
           "                                        setNetStatus, before or after the change)\n"
           "  send ID [P1 [P2]] | query ID | record HEX...\n"
           "  config KEY [= VALUE]   (in a \"text\", $SCRIPTDIR is the script's folder)\n"
           "  network add NET [\"NAME\"] [status N] [description \"TEXT\"|none] [capability N] [type BITS]\n"
           "  network NET status N | description \"TEXT\"|none | capability N | name \"TEXT\"|none | type "
           "BITS\n"
           "  contact add ID \"NAME\" [status N] [description \"TEXT\"]\n"
           "  contact ID name \"TEXT\" | status N | description \"TEXT\" | use ACTION\n"
           "  hoststate N | advance N(ms|s|m) | echo TEXT... | transcript on|off\n"
           "  repeat N ... end   (scripts; inside, $REPEAT is the round, from 1)\n"
           "  heap mark | objects mark\n"
           "  show config|networks|contacts|plugins|icons|actions|heap|objects|page NAME|menu NAME\n"
           "  open page NAME | close page NAME | use ACTION | press ACTION | set CONTROL \"VALUE\" | browse "
           "ACTION\n"
           "  menu NAME | menu contact | notify ACTION CODE [contact N] [size N]\n"
           "  onbox COMMAND...   (queued: runs inside the next message box, before it is answered)\n"
           "  answer yes|no   (inside a box that asks: its answer; unsaid, yes)\n"
           "  list show | click ROW|none | select [ROW...] | rightclick ROW|none [choose N] | sort COLUMN\n"
           "  list edit ROW \"TEXT\"|cancel | drag ROW [label|icon|stateicon] | width COLUMN N\n"
           "  clipboard [hold|release] | filedialog answer \"PATH\" [filter N] | filedialog cancel\n"
           "  import [status N] [time \"TEXT\"] ok|cancel | file write|append \"NAME\" \"BYTES\" [times N]\n"
           "  file show|delete|readonly|folder \"NAME\"\n"
           "  picture page NAME \"FILE\" | menu ROW \"FILE\" | dialog \"FILE\"   (PNG files; the Windows "
           "build)\n"
           "  expect answer N | answer text \"TEXT\" | same-address\n"
           "  expect config KEY VALUE | errors N | calls NAME N | log \"TEXT\" | copies N | heap same | "
           "objects same\n"
           "  expect network NET status N | description \"TEXT\"|none | sends N\n"
           "  expect action ID status N | value \"TEXT\" | caption \"TEXT\"\n"
           "  expect rows N | row ROW STATUS \"DESCRIPTION\" \"SECONDS\" | clipboard \"TEXT\"|empty\n"
           "  expect file \"NAME\" \"BYTES\" | import-dialog open|closed\n"
           "  quit (typed at the prompt; the plug-in is stopped first)\n";
}

} // namespace brio::host
